#pragma once

#include <QByteArrayView>
#include <QIODevice>

#include <functional>

// The strong file format: a passphrase-protected file of any size, readable
// and writable by the standard tool of the same format (version 1 header,
// one scrypt stanza, ChaCha20-Poly1305 payload in 64 KiB chunks).
//
// Both directions stream from one device to another in constant memory (a
// few hundred KiB besides scrypt's own 128 * 2^workFactor * 8 bytes). The
// input must deliver all its data through read() (a file, a buffer, or a
// sequential device that supports waitForReadyRead()). decrypt() writes a
// chunk's plaintext only after that chunk has authenticated, but a damaged
// or truncated file is only recognised at the chunk where it goes wrong: the
// caller writes to a temporary file and discards it on any result but Ok.
namespace age {

inline constexpr QByteArrayView headerLine = "age-encryption.org/v1";
inline constexpr int defaultWorkFactor = 18;
// The highest work factor accepted when reading (scrypt then needs 4 GiB),
// matching what the standard tool accepts; a caller can only lower it.
inline constexpr int defaultMaxWorkFactor = 22;

// bytesDone is called after each chunk with the bytes read from the input so
// far; cancelled is asked before each chunk and every few milliseconds
// during the key derivation, which a yes then leaves behind at once (see
// AgeScryptWorker.h).
struct Progress
{
    std::function<void(quint64 done)> bytesDone;
    std::function<bool()> cancelled;
};

enum class Result {
    Ok,
    WrongKeyOrDamaged,  // wrong passphrase, or altered or cut short after the header
    Damaged,            // the header or the text form breaks the rules, or is cut short
    UnsupportedVersion, // the version line of another version
    NotForPassphrase,   // a header for other recipients (public keys) only
    WorkFactorTooHigh,  // a passphrase stanza above the highest work factor accepted
    ReadFailed,         // the input device failed
    WriteFailed,        // the output device refused bytes
    Cancelled,
    CryptoFailed, // the crypto library refused: out of memory, no randomness
};

// The passphrase is used as given, byte for byte (the key text in UTF-8).
// workFactor is log2 of scrypt's N, kept within 1..defaultMaxWorkFactor.
Result encrypt(QIODevice &in, QIODevice &out, QByteArrayView passphrase,
               const Progress &progress = {}, int workFactor = defaultWorkFactor);

// Reads the binary form and the text form (armor, see AgeArmor.h) alike.
// Refuses files whose work factor exceeds maxWorkFactor (itself capped at
// defaultMaxWorkFactor) before doing any scrypt work.
Result decrypt(QIODevice &in, QIODevice &out, QByteArrayView passphrase,
               const Progress &progress = {}, int maxWorkFactor = defaultMaxWorkFactor);

} // namespace age
