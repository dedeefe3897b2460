#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <openssl/types.h>

#include <array>
#include <cstddef>
#include <span>

// Thin wrappers over the OpenSSL 3 primitives the strong format is made of:
// scrypt, HKDF-SHA-256, HMAC-SHA-256, ChaCha20-Poly1305 and the system's
// random source. Each one answers false when the library refuses (out of
// memory, no provider); none of them throws.
namespace age {

inline constexpr std::size_t fileKeySize = 16;
inline constexpr std::size_t keySize = 32;
inline constexpr std::size_t tagSize = 16;
inline constexpr std::size_t aeadNonceSize = 12;

void wipe(std::span<unsigned char> bytes);
void wipe(QByteArray &bytes);

// Key material that is wiped when it goes out of scope.
template <std::size_t N> class SecretBytes
{
public:
    SecretBytes() = default;
    SecretBytes(const SecretBytes &) = delete;
    SecretBytes &operator=(const SecretBytes &) = delete;
    ~SecretBytes() { wipe(m_bytes); }

    std::span<unsigned char, N> span() { return m_bytes; }
    std::span<const unsigned char, N> span() const { return m_bytes; }
    unsigned char *data() { return m_bytes.data(); }
    const unsigned char *data() const { return m_bytes.data(); }

private:
    std::array<unsigned char, N> m_bytes{};
};

using FileKey = SecretBytes<fileKeySize>;
using Key = SecretBytes<keySize>;

bool randomBytes(std::span<unsigned char> out);

// Beyond this no machine has the 2^(logN + 10) bytes scrypt would need.
inline constexpr int maxScryptLogN = 40;

// scrypt with N = 2^logN (1 <= logN <= maxScryptLogN), r = 8, p = 1 and a
// 32-byte result. It runs to its end: AgeScryptWorker.h runs it where a
// cancel can leave it behind.
bool scrypt(QByteArrayView passphrase, QByteArrayView salt, int logN,
            std::span<unsigned char, keySize> out);

// HKDF-SHA-256 extract-then-expand to 32 bytes; an empty salt means none.
bool hkdfSha256(std::span<const unsigned char> ikm, QByteArrayView salt, QByteArrayView info,
                std::span<unsigned char, keySize> out);

bool hmacSha256(std::span<const unsigned char, keySize> key, QByteArrayView message,
                std::span<unsigned char, 32> out);

// Constant-time comparison of two byte strings of the same length.
bool equalInConstantTime(std::span<const unsigned char> a, std::span<const unsigned char> b);

// One ChaCha20-Poly1305 message with no associated data. seal writes the
// ciphertext followed by the 16-byte tag (out.size() == plain.size() + 16);
// open writes the plaintext only when the tag verifies, and leaves out wiped
// otherwise (out.size() == sealed.size() - 16).
class ChaChaPoly
{
public:
    ChaChaPoly();
    ~ChaChaPoly();
    ChaChaPoly(const ChaChaPoly &) = delete;
    ChaChaPoly &operator=(const ChaChaPoly &) = delete;

    bool seal(std::span<const unsigned char, keySize> key,
              std::span<const unsigned char, aeadNonceSize> nonce,
              std::span<const unsigned char> plain, std::span<unsigned char> out);
    bool open(std::span<const unsigned char, keySize> key,
              std::span<const unsigned char, aeadNonceSize> nonce,
              std::span<const unsigned char> sealed, std::span<unsigned char> out);

private:
    EVP_CIPHER *m_cipher = nullptr;
    EVP_CIPHER_CTX *m_context = nullptr;
};

} // namespace age
