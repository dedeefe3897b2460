#include "age/AgeFormat.h"

#include "age/AgeArmor.h"
#include "age/AgeHeader.h"
#include "age/AgeKeys.h"
#include "age/AgeScryptWorker.h"
#include "age/AgeStream.h"

#include <algorithm>

namespace age {

namespace {

constexpr QByteArrayView scryptLabel = "age-encryption.org/v1/scrypt";
constexpr std::array<unsigned char, aeadNonceSize> zeroNonce{};

std::span<unsigned char> bytesOf(QByteArray &array)
{
    return {reinterpret_cast<unsigned char *>(array.data()), std::size_t(array.size())};
}

KdfOutcome wrapKeyFor(QByteArrayView passphrase, QByteArrayView salt, int workFactor,
                      const Progress &progress, Key &wrapKey)
{
    QByteArray scryptSalt = scryptLabel.toByteArray();
    scryptSalt.append(salt);
    return scryptCancellable(passphrase, scryptSalt, workFactor, wrapKey.span(),
                             [&progress] { return cancelled(progress); });
}

Result resultOf(KdfOutcome outcome)
{
    return outcome == KdfOutcome::Cancelled ? Result::Cancelled : Result::CryptoFailed;
}

Result resultOf(HeaderStatus status)
{
    switch (status) {
    case HeaderStatus::Ok:
        return Result::Ok;
    case HeaderStatus::Malformed:
        return Result::Damaged;
    case HeaderStatus::UnsupportedVersion:
        return Result::UnsupportedVersion;
    case HeaderStatus::NoPassphraseStanza:
        return Result::NotForPassphrase;
    case HeaderStatus::WorkFactorTooHigh:
        return Result::WorkFactorTooHigh;
    case HeaderStatus::ReadFailed:
        return Result::ReadFailed;
    }
    return Result::Damaged;
}

bool headerMac(const FileKey &fileKey, QByteArrayView macInput, std::span<unsigned char, 32> mac)
{
    Key macKey;
    return hkdfSha256(fileKey.span(), {}, "header", macKey.span()) &&
           hmacSha256(macKey.span(), macInput, mac);
}

// The binary file from in, whichever form in holds it in.
Result decryptBinary(QIODevice &in, QIODevice &out, QByteArrayView passphrase,
                     const Progress &progress, int maxWorkFactor)
{
    ParsedHeader header;
    if (const HeaderStatus status =
            readHeader(in, std::min(maxWorkFactor, defaultMaxWorkFactor), header);
        status != HeaderStatus::Ok)
        return resultOf(status);
    if (cancelled(progress))
        return Result::Cancelled;

    FileKey fileKey;
    {
        Key wrapKey;
        ChaChaPoly aead;
        if (const KdfOutcome derived = wrapKeyFor(passphrase, header.stanza.salt,
                                                  header.stanza.workFactor, progress, wrapKey);
            derived != KdfOutcome::Done)
            return resultOf(derived);
        if (!aead.open(wrapKey.span(), zeroNonce, bytesOf(header.stanza.body), fileKey.span()))
            return Result::WrongKeyOrDamaged;
    }

    std::array<unsigned char, macSize> mac{};
    if (!headerMac(fileKey, header.macInput, mac))
        return Result::CryptoFailed;
    if (!equalInConstantTime(mac, bytesOf(header.mac)))
        return Result::WrongKeyOrDamaged;

    std::array<char, payloadNonceSize> nonce{};
    const qint64 got = readFully(in, nonce.data(), payloadNonceSize);
    if (got < 0)
        return Result::ReadFailed;
    if (got != payloadNonceSize)
        return Result::WrongKeyOrDamaged;
    Key payloadKey;
    if (!hkdfSha256(fileKey.span(), QByteArrayView(nonce.data(), payloadNonceSize), "payload",
                    payloadKey.span()))
        return Result::CryptoFailed;

    return openPayload(in, out, payloadKey, progress, quint64(header.size) + payloadNonceSize);
}

} // namespace

Result encrypt(QIODevice &in, QIODevice &out, QByteArrayView passphrase, const Progress &progress,
               int workFactor)
{
    workFactor = std::clamp(workFactor, 1, defaultMaxWorkFactor);
    if (cancelled(progress))
        return Result::Cancelled;

    FileKey fileKey;
    ScryptStanza stanza{QByteArray(saltSize, '\0'), workFactor, QByteArray(stanzaBodySize, '\0')};
    if (!randomBytes(fileKey.span()) || !randomBytes(bytesOf(stanza.salt)))
        return Result::CryptoFailed;

    {
        Key wrapKey;
        ChaChaPoly aead;
        if (const KdfOutcome derived =
                wrapKeyFor(passphrase, stanza.salt, workFactor, progress, wrapKey);
            derived != KdfOutcome::Done)
            return resultOf(derived);
        if (!aead.seal(wrapKey.span(), zeroNonce, fileKey.span(), bytesOf(stanza.body)))
            return Result::CryptoFailed;
    }

    std::array<unsigned char, macSize> mac{};
    if (!headerMac(fileKey, headerMacInput(stanza), mac))
        return Result::CryptoFailed;
    const QByteArray header = serialiseHeader(
        stanza, QByteArrayView(reinterpret_cast<const char *>(mac.data()), macSize));

    std::array<unsigned char, payloadNonceSize> nonce{};
    Key payloadKey;
    if (!randomBytes(nonce) ||
        !hkdfSha256(fileKey.span(),
                    QByteArrayView(reinterpret_cast<const char *>(nonce.data()), payloadNonceSize),
                    "payload", payloadKey.span()))
        return Result::CryptoFailed;
    if (out.write(header) != header.size() ||
        out.write(reinterpret_cast<const char *>(nonce.data()), payloadNonceSize) !=
            payloadNonceSize)
        return Result::WriteFailed;
    return sealPayload(in, out, payloadKey, progress, 0);
}

Result decrypt(QIODevice &in, QIODevice &out, QByteArrayView passphrase, const Progress &progress,
               int maxWorkFactor)
{
    if (!startsArmored(in.peek(armorDetectionBytes)))
        return decryptBinary(in, out, passphrase, progress, maxWorkFactor);

    // Progress counts the bytes of the text form, as the caller knows its
    // size, not those decoded from it.
    ArmorReader binary(in);
    Progress armorProgress = progress;
    if (progress.bytesDone)
        armorProgress.bytesDone = [&](quint64) { progress.bytesDone(binary.consumed()); };
    const Result result = decryptBinary(binary, out, passphrase, armorProgress, maxWorkFactor);
    // An Ok result read the text form to its end line and past it.
    switch (binary.status()) {
    case ArmorReader::Status::Malformed:
        return Result::Damaged;
    case ArmorReader::Status::ReadFailed:
        return Result::ReadFailed;
    case ArmorReader::Status::Reading:
    case ArmorReader::Status::Ended:
        break;
    }
    return result;
}

} // namespace age
