#pragma once

#include "age/AgeKeys.h"

#include <QByteArrayView>

#include <functional>
#include <span>

// scrypt that a cancel can leave behind. OpenSSL's scrypt cannot be stopped
// once it runs, and at the highest work factor it takes seconds and 4 GiB,
// so it runs on a worker thread of its own while the caller keeps asking
// whether to stop. On a stop the caller returns at once; the worker runs to
// its end alone, wipes its copies of the passphrase, salt and key and
// releases its memory.
namespace age {

enum class KdfOutcome {
    Done,
    Failed,    // the crypto library refused (no memory, bad parameters) or no thread
    Cancelled, // stop() said yes; nothing was derived
};

// scrypt (N = 2^logN, r = 8, p = 1) into out. stop is asked on the calling
// thread every few milliseconds until the key is there; an empty stop never
// says yes. out is left wiped on every outcome but Done.
//
// A derivation starts only once those that earlier cancels left behind have
// ended (still asking stop meanwhile), so that cancels in a row cannot pile
// up their memory.
KdfOutcome scryptCancellable(QByteArrayView passphrase, QByteArrayView salt, int logN,
                             std::span<unsigned char, keySize> out,
                             const std::function<bool()> &stop);

// Waits until no worker runs any more, those left behind included. The
// program's exit does so on its own (before OpenSSL tears itself down, which
// a running worker still needs); tests call it to see every worker end.
void waitForScryptWorkers();

} // namespace age
