#pragma once

#include "cipher/CipherBase.h"

#include <QCryptographicHash>

// The part the SHA classes share: the digest itself is computed by
// QCryptographicHash; this class adds the Init/Update/Final states and errors.
class QtBackedHash : public HashFunction
{
public:
    void Init() override;
    void Final(void *Digest) override;
    void Burn() override;
    void Update(const void *Buffer, quint32 Size) override;

protected:
    explicit QtBackedHash(QCryptographicHash::Algorithm algorithm);

    // The FIPS 180 examples "abc" and the 448-bit two-block message.
    // Run on a fresh instance of the derived class.
    static bool selfTestWith(HashFunction &fresh, const QByteArray &abcDigestHex,
                             const QByteArray &twoBlockDigestHex);

private:
    QCryptographicHash m_hash;
};
