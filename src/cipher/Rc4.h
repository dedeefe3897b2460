#pragma once

#include "cipher/CipherBase.h"

#include <array>

// RC4 with a key of up to 2048 bits. Every Encrypt/Decrypt call starts its
// generator at i = j = 0 on the permutation the previous call left behind;
// the stream operations call it once per 8192-byte chunk.
class Rc4 : public StreamCipher
{
public:
    static constexpr int Id = 19;
    static constexpr int MaxKeySize = 2048;

    Rc4() = default;
    ~Rc4() override;
    Rc4(const Rc4 &) = delete;
    Rc4 &operator=(const Rc4 &) = delete;

    int GetId() const override { return Id; }
    QString GetAlgorithm() const override { return QStringLiteral("RC4"); }
    int GetMaxKeySize() const override { return MaxKeySize; }
    bool SelfTest() const override;

    void Init(const void *Key, quint32 Size, const void *InitVector) override;
    void Burn() override;
    void Reset() override;
    void Encrypt(const void *InData, void *OutData, quint32 Size) override;
    void Decrypt(const void *InData, void *OutData, quint32 Size) override;

    // first.Encrypt and then second.Encrypt over the same bytes, in one pass:
    // the two generators are independent, so running them interleaved lets
    // one core work on both at nearly the speed of one. The same bytes and
    // the same states afterwards as the two calls one after the other.
    static void EncryptBoth(Rc4 &first, Rc4 &second, const void *InData, void *OutData,
                            quint32 Size);

private:
    std::array<quint8, 256> KeyData{}; // working permutation S
    std::array<quint8, 256> KeyOrg{};  // S right after the key schedule
};
