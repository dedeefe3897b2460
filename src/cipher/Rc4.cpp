#include "cipher/Rc4.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// Combines the key stream that `nextByte` yields with size bytes of input.
// Eight key-stream bytes are gathered into a word and combined at once; the
// generator's indices stay in registers.
template <typename NextByte>
void combineKeyStream(const quint8 *in, quint8 *out, quint32 size, NextByte nextByte)
{
    quint32 p = 0;
    for (; p + 8 <= size; p += 8) {
        quint64 stream = 0;
#pragma GCC unroll 8
        for (int k = 0; k < 8; ++k)
            stream |= static_cast<quint64>(nextByte()) << (8 * k);
        quint64 word;
        std::memcpy(&word, in + p, sizeof word);
        // The stream word is built least significant byte first: correct on
        // little-endian machines, where the first byte is the lowest.
        if constexpr (std::endian::native == std::endian::big)
            stream = __builtin_bswap64(stream);
        word ^= stream;
        std::memcpy(out + p, &word, sizeof word);
    }
    for (; p < size; ++p)
        out[p] = in[p] ^ nextByte();
}

// One generator run from i = j = 0.
void applyKeyStream(quint8 *S, const quint8 *in, quint8 *out, quint32 size)
{
    quint32 i = 0;
    quint32 j = 0;
    combineKeyStream(in, out, size, [&] {
        i = (i + 1) & 0xFF;
        const quint32 t = S[i];
        j = (j + t) & 0xFF;
        const quint32 u = S[j];
        S[i] = static_cast<quint8>(u);
        S[j] = static_cast<quint8>(t);
        return S[(t + u) & 0xFF];
    });
}

// Two generator runs from i = j = 0 at once, their streams combined. The
// permutations are worked on as 32-bit words, which spares the processor
// the partial-word stores of byte tables.
void applyTwoKeyStreams(quint8 *S8, quint8 *T8, const quint8 *in, quint8 *out, quint32 size)
{
    std::array<quint32, 256> S;
    std::array<quint32, 256> T;
    std::copy_n(S8, 256, S.begin());
    std::copy_n(T8, 256, T.begin());
    quint32 i = 0;
    quint32 j = 0;
    quint32 a = 0;
    quint32 b = 0;
    combineKeyStream(in, out, size, [&] {
        i = (i + 1) & 0xFF;
        const quint32 t = S[i];
        j = (j + t) & 0xFF;
        const quint32 u = S[j];
        S[i] = u;
        S[j] = t;
        a = (a + 1) & 0xFF;
        const quint32 x = T[a];
        b = (b + x) & 0xFF;
        const quint32 y = T[b];
        T[a] = y;
        T[b] = x;
        return static_cast<quint8>(S[(t + u) & 0xFF] ^ T[(x + y) & 0xFF]);
    });
    std::copy(S.begin(), S.end(), S8);
    std::copy(T.begin(), T.end(), T8);
    S.fill(0xFF);
    T.fill(0xFF);
}

} // namespace

Rc4::~Rc4()
{
    Burn();
}

bool Rc4::SelfTest() const
{
    // First key-stream bytes for the 40-bit key 01 02 03 04 05.
    static const quint8 key[5] = {0x01, 0x02, 0x03, 0x04, 0x05};
    static const quint8 expected[16] = {0xb2, 0x39, 0x63, 0x05, 0xf0, 0x3d, 0xc0, 0x27,
                                        0xcc, 0xc3, 0x52, 0x4a, 0x0a, 0x11, 0x18, 0xa8};
    Rc4 cipher;
    cipher.Init(key, 40, nullptr);
    quint8 data[16] = {};
    cipher.Encrypt(data, data, sizeof data);
    const bool encrypted = std::memcmp(data, expected, sizeof data) == 0;
    cipher.Reset();
    cipher.Decrypt(data, data, sizeof data);
    const quint8 zero[16] = {};
    return encrypted && std::memcmp(data, zero, sizeof data) == 0;
}

void Rc4::Init(const void *Key, quint32 Size, const void *InitVector)
{
    StreamCipher::Init(Key, Size, InitVector);
    const auto *key = static_cast<const quint8 *>(Key);
    const quint32 keyBytes = Size / 8;
    std::array<quint8, 256> T;
    for (quint32 i = 0; i < 256; ++i) {
        KeyData[i] = static_cast<quint8>(i);
        T[i] = keyBytes == 0 ? 0 : key[i % keyBytes];
    }
    quint32 j = 0;
    for (quint32 i = 0; i < 256; ++i) {
        j = (j + KeyData[i] + T[i]) & 0xFF;
        std::swap(KeyData[i], KeyData[j]);
    }
    KeyOrg = KeyData;
    T.fill(0xFF);
}

void Rc4::Burn()
{
    KeyOrg.fill(0xFF);
    KeyData.fill(0xFF);
    StreamCipher::Burn();
}

void Rc4::Reset()
{
    KeyData = KeyOrg;
}

void Rc4::Encrypt(const void *InData, void *OutData, quint32 Size)
{
    if (!fInitialized)
        throw CipherError("Cipher not initialized");
    applyKeyStream(KeyData.data(), static_cast<const quint8 *>(InData),
                   static_cast<quint8 *>(OutData), Size);
}

void Rc4::Decrypt(const void *InData, void *OutData, quint32 Size)
{
    Encrypt(InData, OutData, Size);
}

void Rc4::EncryptBoth(Rc4 &first, Rc4 &second, const void *InData, void *OutData, quint32 Size)
{
    if (!first.fInitialized || !second.fInitialized)
        throw CipherError("Cipher not initialized");
    applyTwoKeyStreams(first.KeyData.data(), second.KeyData.data(),
                       static_cast<const quint8 *>(InData), static_cast<quint8 *>(OutData), Size);
}
