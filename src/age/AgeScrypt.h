#pragma once

#include "age/AgeKeys.h"

#include <QByteArrayView>

#include <functional>
#include <span>

// scrypt (r = 8, p = 1) in steps that can be stopped: its memory-hard mixing
// runs here, asking between steps whether to go on, so that a caller can
// give up a derivation that takes seconds and gigabytes without waiting for
// it. The PBKDF2-HMAC-SHA-256 steps around the mixing come from OpenSSL.
namespace age {

enum class KdfOutcome {
    Done,
    Failed,    // no memory for 2^logN blocks, or the crypto library refused
    Cancelled, // stop() said yes; nothing was derived
};

// stop is asked every few milliseconds of work; when it answers true the
// derivation ends at once. The working memory is wiped before it is released,
// and out is left wiped on every outcome but Done.
KdfOutcome scryptStoppable(QByteArrayView passphrase, QByteArrayView salt, int logN,
                           std::span<unsigned char, keySize> out,
                           const std::function<bool()> &stop);

} // namespace age
