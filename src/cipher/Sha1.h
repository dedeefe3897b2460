#pragma once

#include "cipher/QtBackedHash.h"

// SHA-1 of FIPS 180-4: Id 2, digest of 160 bits.
class Sha1 : public QtBackedHash
{
public:
    static constexpr int Id = 2;
    static constexpr int HashSize = 160;

    Sha1()
        : QtBackedHash(QCryptographicHash::Sha1)
    {
    }

    int GetId() const override { return Id; }
    QString GetAlgorithm() const override { return QStringLiteral("SHA1"); }
    int GetHashSize() const override { return HashSize; }
    bool SelfTest() const override;
};
