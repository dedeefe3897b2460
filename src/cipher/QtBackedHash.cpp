#include "cipher/QtBackedHash.h"

#include <cstring>

QtBackedHash::QtBackedHash(QCryptographicHash::Algorithm algorithm)
    : m_hash(algorithm)
{
}

void QtBackedHash::Init()
{
    Burn();
    fInitialized = true;
}

void QtBackedHash::Final(void *Digest)
{
    if (!fInitialized)
        throw HashError("Hash not initialized");
    QByteArray digest = m_hash.result();
    std::memcpy(Digest, digest.constData(), static_cast<size_t>(digest.size()));
    digest.fill(char(0xFF));
    Burn();
}

void QtBackedHash::Burn()
{
    m_hash.reset();
    fInitialized = false;
}

void QtBackedHash::Update(const void *Buffer, quint32 Size)
{
    if (!fInitialized)
        throw HashError("Hash not initialized");
    m_hash.addData(QByteArrayView(static_cast<const char *>(Buffer), static_cast<qsizetype>(Size)));
}

bool QtBackedHash::selfTestWith(HashFunction &fresh, const QByteArray &abcDigestHex,
                                const QByteArray &twoBlockDigestHex)
{
    const auto digestOf = [&fresh](const QByteArray &message) {
        QByteArray digest(fresh.GetHashSize() / 8, '\0');
        fresh.Init();
        fresh.Update(message.constData(), static_cast<quint32>(message.size()));
        fresh.Final(digest.data());
        return digest.toHex();
    };
    return digestOf("abc") == abcDigestHex &&
           digestOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq") ==
               twoBlockDigestHex;
}
