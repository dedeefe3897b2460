#include "cipher/VigenereCodec.h"

namespace {

// direction +1 adds the key bytes, -1 takes them off; unsigned arithmetic
// wraps modulo 256.
void shiftBytes(const QByteArray &key, char *buf, quint32 size, int direction)
{
    const auto keyLength = static_cast<quint32>(key.size());
    if (keyLength == 0 || size == 0 || buf == nullptr)
        return;
    const auto *keyBytes = reinterpret_cast<const unsigned char *>(key.constData());
    auto *bytes = reinterpret_cast<unsigned char *>(buf);
    quint32 k = 0;
    for (quint32 i = 0; i < size; ++i) {
        const unsigned char shift = keyBytes[k];
        bytes[i] = static_cast<unsigned char>(direction > 0 ? bytes[i] + shift : bytes[i] - shift);
        if (++k == keyLength)
            k = 0;
    }
}

} // namespace

QByteArray TextCodec::EncodeString(const QByteArray &Key, const QByteArray &Value) const
{
    QByteArray copy(Value.constData(), Value.size()); // private, detached copy
    Encode(Key, copy.data(), static_cast<quint32>(copy.size()));
    return copy;
}

QByteArray TextCodec::DecodeString(const QByteArray &Key, const QByteArray &Value) const
{
    QByteArray copy(Value.constData(), Value.size());
    Decode(Key, copy.data(), static_cast<quint32>(copy.size()));
    return copy;
}

void VigenereCodec::Decode(const QByteArray &Key, char *Buf, quint32 Size) const
{
    shiftBytes(Key, Buf, Size, -1);
}

void VigenereCodec::Encode(const QByteArray &Key, char *Buf, quint32 Size) const
{
    shiftBytes(Key, Buf, Size, +1);
}
