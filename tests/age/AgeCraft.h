#pragma once

#include "age/AgeFormat.h"
#include "age/AgeHeader.h"
#include "age/AgeKeys.h"
#include "age/AgeStream.h"

#include <QList>

#include <functional>

// Builds files of the strong format chunk by chunk with a known file key, so
// that tests can make files that a correct writer never makes: wrong last
// flags, short middle chunks, header text edited before its MAC is taken.
namespace AgeCraft {

struct Chunk
{
    QByteArray plain;
    bool last = false;
};

inline constexpr int workFactor = 10;
inline const QByteArray fileKey = "YELLOW SUBMARINE";

inline QByteArray hmacOf(const QByteArray &macInput)
{
    age::Key macKey;
    std::array<unsigned char, 32> mac{};
    const auto key = std::span(reinterpret_cast<const unsigned char *>(fileKey.data()), 16);
    age::hkdfSha256(key, {}, "header", macKey.span());
    age::hmacSha256(macKey.span(), macInput, mac);
    return QByteArray(reinterpret_cast<const char *>(mac.data()), 32);
}

// A header whose text edit() may change before the MAC over it is computed.
inline QByteArray header(QByteArrayView passphrase,
                         const std::function<void(QByteArray &)> &edit = {})
{
    age::ScryptStanza stanza{QByteArray(16, '\x5a'), workFactor, QByteArray(32, '\0')};
    age::Key wrapKey;
    const QByteArray salt = "age-encryption.org/v1/scrypt" + stanza.salt;
    age::scrypt(passphrase, salt, workFactor, wrapKey.span());
    age::ChaChaPoly aead;
    const std::array<unsigned char, 12> zero{};
    aead.seal(wrapKey.span(), zero,
              std::span(reinterpret_cast<const unsigned char *>(fileKey.data()), 16),
              std::span(reinterpret_cast<unsigned char *>(stanza.body.data()), 32));
    QByteArray macInput = age::headerMacInput(stanza);
    if (edit)
        edit(macInput);
    return macInput + ' ' + age::encodeBase64(hmacOf(macInput)) + '\n';
}

inline QByteArray payload(const QList<Chunk> &chunks)
{
    const QByteArray nonce(16, '\x33');
    age::Key payloadKey;
    age::hkdfSha256(std::span(reinterpret_cast<const unsigned char *>(fileKey.data()), 16), nonce,
                    "payload", payloadKey.span());
    QByteArray out = nonce;
    age::ChaChaPoly aead;
    quint64 counter = 0;
    for (const Chunk &chunk : chunks) {
        std::array<unsigned char, 12> chunkNonce{};
        for (int at = 0; at < 8; ++at)
            chunkNonce[10 - at] = static_cast<unsigned char>(counter >> (8 * at));
        chunkNonce[11] = chunk.last ? 1 : 0;
        QByteArray sealed(chunk.plain.size() + 16, '\0');
        aead.seal(payloadKey.span(), chunkNonce,
                  std::span(reinterpret_cast<const unsigned char *>(chunk.plain.data()),
                            std::size_t(chunk.plain.size())),
                  std::span(reinterpret_cast<unsigned char *>(sealed.data()),
                            std::size_t(sealed.size())));
        out += sealed;
        ++counter;
    }
    return out;
}

} // namespace AgeCraft
