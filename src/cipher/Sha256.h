#pragma once

#include "cipher/QtBackedHash.h"

// SHA-256 of FIPS 180-4: Id 28, digest of 256 bits.
class Sha256 : public QtBackedHash
{
public:
    static constexpr int Id = 28;
    static constexpr int HashSize = 256;

    Sha256()
        : QtBackedHash(QCryptographicHash::Sha256)
    {
    }

    int GetId() const override { return Id; }
    QString GetAlgorithm() const override { return QStringLiteral("SHA256"); }
    int GetHashSize() const override { return HashSize; }
    bool SelfTest() const override;
};
