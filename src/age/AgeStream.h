#pragma once

#include "age/AgeFormat.h"
#include "age/AgeKeys.h"

#include <QIODevice>

// The payload after the header: a 16-byte nonce, then the input in 64 KiB
// chunks, each sealed with ChaCha20-Poly1305 under a nonce made of an 11-byte
// big-endian chunk counter and a byte that is 1 for the last chunk only. The
// last chunk may be short; it is empty only when the whole input is.
namespace age {

inline constexpr qsizetype chunkSize = 64 * 1024;
inline constexpr qsizetype sealedChunkSize = chunkSize + qsizetype(tagSize);
inline constexpr qsizetype payloadNonceSize = 16;

// Progress counts continue from done, the input bytes already consumed.
Result sealPayload(QIODevice &in, QIODevice &out, const Key &payloadKey, const Progress &progress,
                   quint64 done);
Result openPayload(QIODevice &in, QIODevice &out, const Key &payloadKey, const Progress &progress,
                   quint64 done);

// Reads until want bytes or the end of the input; -1 on a read error.
qint64 readFully(QIODevice &in, char *data, qint64 want);

// Whether the caller asked to stop.
bool cancelled(const Progress &progress);

} // namespace age
