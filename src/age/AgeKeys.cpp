#include "age/AgeKeys.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace age {

namespace {

// OpenSSL takes byte strings as non-const void pointers in its parameter
// lists even where it only reads them.
void *paramBytes(const void *data)
{
    return const_cast<void *>(data);
}

bool deriveKdf(const char *name, OSSL_PARAM *params, std::span<unsigned char> out)
{
    EVP_KDF *kdf = EVP_KDF_fetch(nullptr, name, nullptr);
    if (!kdf)
        return false;
    EVP_KDF_CTX *context = EVP_KDF_CTX_new(kdf);
    EVP_KDF_free(kdf);
    if (!context)
        return false;
    const bool ok = EVP_KDF_derive(context, out.data(), out.size(), params) == 1;
    EVP_KDF_CTX_free(context);
    if (!ok)
        wipe(out);
    return ok;
}

} // namespace

void wipe(std::span<unsigned char> bytes)
{
    if (!bytes.empty())
        OPENSSL_cleanse(bytes.data(), bytes.size());
}

void wipe(QByteArray &bytes)
{
    // data() detaches a shared copy first; only this array's bytes are ours.
    if (!bytes.isEmpty())
        OPENSSL_cleanse(bytes.data(), static_cast<size_t>(bytes.size()));
    bytes.clear();
}

bool randomBytes(std::span<unsigned char> out)
{
    if (out.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    return RAND_bytes(out.data(), static_cast<int>(out.size())) == 1;
}

bool scrypt(QByteArrayView passphrase, QByteArrayView salt, int logN,
            std::span<unsigned char, keySize> out)
{
    if (logN < 1 || logN > maxScryptLogN) {
        wipe(out);
        return false;
    }
    std::uint64_t n = std::uint64_t(1) << logN;
    std::uint32_t r = 8;
    std::uint32_t p = 1;
    // What OpenSSL allocates: the 128*r*(N+2) working area and p blocks of
    // 128*r, with a little to spare; its default ceiling of 32 MiB is below
    // what the default work factor needs.
    std::uint64_t maxMemory = 128 * std::uint64_t(r) * (n + 2) + 128 * std::uint64_t(r) * p + 65536;
    // An empty string still needs an address.
    const char *password = passphrase.isEmpty() ? "" : passphrase.data();
    const char *saltBytes = salt.isEmpty() ? "" : salt.data();
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_PASSWORD, paramBytes(password),
                                          static_cast<size_t>(passphrase.size())),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, paramBytes(saltBytes),
                                          static_cast<size_t>(salt.size())),
        OSSL_PARAM_construct_uint64(OSSL_KDF_PARAM_SCRYPT_N, &n),
        OSSL_PARAM_construct_uint32(OSSL_KDF_PARAM_SCRYPT_R, &r),
        OSSL_PARAM_construct_uint32(OSSL_KDF_PARAM_SCRYPT_P, &p),
        OSSL_PARAM_construct_uint64(OSSL_KDF_PARAM_SCRYPT_MAXMEM, &maxMemory),
        OSSL_PARAM_construct_end(),
    };
    return deriveKdf("SCRYPT", params, out);
}

bool hkdfSha256(std::span<const unsigned char> ikm, QByteArrayView salt, QByteArrayView info,
                std::span<unsigned char, keySize> out)
{
    char digest[] = "SHA256";
    OSSL_PARAM params[5];
    OSSL_PARAM *param = params;
    *param++ = OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0);
    *param++ =
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, paramBytes(ikm.data()), ikm.size());
    if (!salt.isEmpty())
        *param++ = OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, paramBytes(salt.data()),
                                                     static_cast<size_t>(salt.size()));
    *param++ = OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, paramBytes(info.data()),
                                                 static_cast<size_t>(info.size()));
    *param = OSSL_PARAM_construct_end();
    return deriveKdf("HKDF", params, out);
}

bool hmacSha256(std::span<const unsigned char, keySize> key, QByteArrayView message,
                std::span<unsigned char, 32> out)
{
    EVP_MAC *mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    if (!mac)
        return false;
    EVP_MAC_CTX *context = EVP_MAC_CTX_new(mac);
    EVP_MAC_free(mac);
    if (!context)
        return false;
    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_end(),
    };
    size_t written = 0;
    const bool ok = EVP_MAC_init(context, key.data(), key.size(), params) == 1 &&
                    EVP_MAC_update(context, reinterpret_cast<const unsigned char *>(message.data()),
                                   static_cast<size_t>(message.size())) == 1 &&
                    EVP_MAC_final(context, out.data(), &written, out.size()) == 1 &&
                    written == out.size();
    EVP_MAC_CTX_free(context);
    return ok;
}

bool equalInConstantTime(std::span<const unsigned char> a, std::span<const unsigned char> b)
{
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

ChaChaPoly::ChaChaPoly()
    : m_cipher(EVP_CIPHER_fetch(nullptr, "ChaCha20-Poly1305", nullptr))
    , m_context(EVP_CIPHER_CTX_new())
{
}

ChaChaPoly::~ChaChaPoly()
{
    EVP_CIPHER_CTX_free(m_context);
    EVP_CIPHER_free(m_cipher);
}

bool ChaChaPoly::seal(std::span<const unsigned char, keySize> key,
                      std::span<const unsigned char, aeadNonceSize> nonce,
                      std::span<const unsigned char> plain, std::span<unsigned char> out)
{
    if (!m_cipher || !m_context || out.size() != plain.size() + tagSize ||
        plain.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    int written = 0;
    int finalWritten = 0;
    const bool ok =
        EVP_EncryptInit_ex2(m_context, m_cipher, key.data(), nonce.data(), nullptr) == 1 &&
        EVP_EncryptUpdate(m_context, out.data(), &written, plain.data(),
                          static_cast<int>(plain.size())) == 1 &&
        EVP_EncryptFinal_ex(m_context, out.data() + written, &finalWritten) == 1 &&
        std::size_t(written) + std::size_t(finalWritten) == plain.size() &&
        EVP_CIPHER_CTX_ctrl(m_context, EVP_CTRL_AEAD_GET_TAG, int(tagSize),
                            out.data() + plain.size()) == 1;
    if (!ok)
        wipe(out);
    return ok;
}

bool ChaChaPoly::open(std::span<const unsigned char, keySize> key,
                      std::span<const unsigned char, aeadNonceSize> nonce,
                      std::span<const unsigned char> sealed, std::span<unsigned char> out)
{
    if (!m_cipher || !m_context || sealed.size() < tagSize ||
        out.size() != sealed.size() - tagSize || sealed.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    const std::size_t plainSize = sealed.size() - tagSize;
    // The tag is handed over as a copy: OpenSSL wants a writable pointer.
    std::array<unsigned char, tagSize> tag{};
    std::copy(sealed.begin() + std::ptrdiff_t(plainSize), sealed.end(), tag.begin());
    int written = 0;
    int finalWritten = 0;
    const bool ok =
        EVP_DecryptInit_ex2(m_context, m_cipher, key.data(), nonce.data(), nullptr) == 1 &&
        EVP_DecryptUpdate(m_context, out.data(), &written, sealed.data(),
                          static_cast<int>(plainSize)) == 1 &&
        EVP_CIPHER_CTX_ctrl(m_context, EVP_CTRL_AEAD_SET_TAG, int(tagSize), tag.data()) == 1 &&
        EVP_DecryptFinal_ex(m_context, out.data() + written, &finalWritten) == 1 &&
        std::size_t(written) + std::size_t(finalWritten) == plainSize;
    if (!ok)
        wipe(out);
    return ok;
}

} // namespace age
