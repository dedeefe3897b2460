#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <optional>

// The textual header of a strong-format file and the unpadded base64 it is
// written in. Every header of version 1 is parsed to its end by the rules of
// the format, stanzas of any kind included; only a header whose one stanza
// is a passphrase (scrypt) stanza can be opened here.
namespace age {

inline constexpr qsizetype saltSize = 16;
inline constexpr qsizetype stanzaBodySize = 32; // sealed 16-byte file key
inline constexpr qsizetype macSize = 32;
inline constexpr qsizetype maxHeaderSize = 1024 * 1024;

// Canonical base64 without '=' padding, as every header field uses.
QByteArray encodeBase64(QByteArrayView bytes);
// Refuses padding, characters outside the alphabet, a length that no byte
// string encodes to, and unused trailing bits that are not zero.
std::optional<QByteArray> decodeBase64(QByteArrayView text);

struct ScryptStanza
{
    QByteArray salt; // exactly saltSize bytes
    int workFactor;  // log2 of scrypt's N
    QByteArray body; // exactly stanzaBodySize bytes
};

// The header text that the MAC covers: everything up to and including the
// "---" that starts the last line, i.e. the header without " <mac>\n".
QByteArray headerMacInput(const ScryptStanza &stanza);
// The complete header for a stanza and the MAC over headerMacInput().
QByteArray serialiseHeader(const ScryptStanza &stanza, QByteArrayView mac);

struct ParsedHeader
{
    ScryptStanza stanza;
    QByteArray macInput;
    QByteArray mac;
    qsizetype size = 0; // bytes read, up to the first payload byte
};

enum class HeaderStatus {
    Ok,
    Malformed,          // not a header by the rules, or cut short
    UnsupportedVersion, // a version line of another version than 1
    NoPassphraseStanza, // a good header for other recipients (public keys)
    WorkFactorTooHigh,  // a good passphrase stanza above maxWorkFactor
    ReadFailed,
};

// Reads the header from in, leaving the device at the first payload byte.
// A work factor above maxWorkFactor is refused before any scrypt work is
// done. Reads a bounded amount (maxHeaderSize).
HeaderStatus readHeader(QIODevice &in, int maxWorkFactor, ParsedHeader &header);

} // namespace age
