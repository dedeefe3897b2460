#include "cipher/CipherBase.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <vector>

void HashFunction::UpdateStr(const QString &Str)
{
    // The code units low byte first, then only the first n of the 2n bytes.
    const qsizetype n = Str.size();
    std::vector<unsigned char> bytes(static_cast<size_t>(n) * 2);
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t unit = Str.at(k).unicode();
        bytes[2 * k] = static_cast<unsigned char>(unit & 0xFF);
        bytes[2 * k + 1] = static_cast<unsigned char>(unit >> 8);
    }
    Update(bytes.data(), static_cast<quint32>(n));
    std::fill(bytes.begin(), bytes.end(), 0xFF);
}

void StreamCipher::Init(const void * /*Key*/, quint32 Size, const void * /*InitVector*/)
{
    if (fInitialized)
        Burn();
    if (Size == 0 || Size % 4 != 0 || Size > static_cast<quint32>(GetMaxKeySize()))
        throw CipherError("Invalid key size");
    fInitialized = true;
}

void StreamCipher::Burn()
{
    fInitialized = false;
}

void StreamCipher::InitStr(const QString &Key, HashFactory HashType)
{
    if (fInitialized)
        Burn();
    try {
        std::unique_ptr<HashFunction> hash = HashType();
        const int hashBits = hash->GetHashSize();
        std::vector<unsigned char> digest(static_cast<size_t>(hashBits / 8));
        hash->Init();
        hash->UpdateStr(Key);
        hash->Final(digest.data());
        hash.reset();
        const int keyBits = std::min(GetMaxKeySize(), hashBits);
        try {
            Init(digest.data(), static_cast<quint32>(keyBits), nullptr);
        } catch (...) {
            std::fill(digest.begin(), digest.end(), 0xFF);
            throw;
        }
        std::fill(digest.begin(), digest.end(), 0xFF);
    } catch (...) {
        throw CipherError("Unable to allocate sufficient memory for hash digest");
    }
}

quint64 StreamCipher::EncryptStream(QIODevice &InStream, QIODevice &OutStream, quint64 Size)
{
    return processStream(InStream, OutStream, Size, false);
}

quint64 StreamCipher::DecryptStream(QIODevice &InStream, QIODevice &OutStream, quint64 Size)
{
    return processStream(InStream, OutStream, Size, true);
}

quint64 StreamCipher::processStream(QIODevice &InStream, QIODevice &OutStream, quint64 Size,
                                    bool decrypt)
{
    std::array<char, StreamChunkSize> buffer;
    quint64 total = 0;
    while (total < Size) {
        const qint64 want = static_cast<qint64>(std::min<quint64>(StreamChunkSize, Size - total));
        // A chunk is filled completely unless the input ends: the key stream
        // restarts with every call, so chunk borders must stay at multiples
        // of 8192 bytes even when a device hands out less at a time.
        qint64 got = 0;
        while (got < want) {
            const qint64 part = InStream.read(buffer.data() + got, want - got);
            if (part < 0)
                throw EStreamError(InStream.errorString());
            if (part == 0)
                break;
            got += part;
        }
        if (got == 0)
            break;
        if (decrypt)
            Decrypt(buffer.data(), buffer.data(), static_cast<quint32>(got));
        else
            Encrypt(buffer.data(), buffer.data(), static_cast<quint32>(got));
        if (OutStream.write(buffer.data(), got) != got)
            throw EStreamError(OutStream.errorString());
        total += static_cast<quint64>(got);
        if (got < want)
            break;
    }
    buffer.fill(0);
    return total;
}
