#pragma once

#include "age/AgeFormat.h"
#include "cipher/LayerChain.h"

#include <QString>

#include <functional>

// How the work on one file in the strong format ended.
struct AgeFileOutcome
{
    enum class Failure {
        None,
        NotEncryptedName,  // decrypting a name that does not end in ".enc"
        Missing,           // the input is not there
        Link,              // the input is a symbolic link
        NotRegularFile,    // the input is a folder, pipe, socket or device
        MultiplyLinked,    // the input has more than one name (hard links)
        InUse,             // another run works on the input
        AccessDenied,      // the system refused to open, create or rename
        ResultBlocked,     // a folder, pipe, socket or device has the result's name
        Changed,           // the input changed or was replaced during the run
        WrongKeyOrDamaged, // decrypting: wrong key, not this format, altered or cut short
        ReadFailed,
        WriteFailed,
        Cancelled,
        CryptoFailed,       // the crypto library refused (memory, randomness)
        OriginalNotRemoved, // the result is complete, but the input could not be deleted
    };

    bool ok = false;
    Failure failure = Failure::None;
    QString failedInput; // the input, when the work failed
    QString reason;      // the system's explanation, in English, for logs and details
    QString result;      // the file the work produced; also set with OriginalNotRemoved
};

// The work on one file in the strong format (age v1, the key text in UTF-8
// as passphrase), free of any user interface so that it can run on a worker
// thread.
//
// - The input must be a regular file with a single name; links, pipes,
//   sockets and devices are refused without being opened. An advisory lock
//   on it keeps a second run off the same file.
// - The result is written to a new file in the result's folder, created
//   exclusively, flushed to the disk, given the input's permissions and then
//   renamed over the result's name. A regular file or a link of that name is
//   replaced as an entry (a link's target stays untouched); a folder, pipe,
//   socket or device there makes the work refuse.
// - The input is deleted only once the result is on the disk and the input
//   is still the same file, unchanged (device, inode, size, modification and
//   change time), under the same name.
// - On any failure the input is left untouched and nothing the work created
//   is left behind; the one exception is OriginalNotRemoved, where the
//   complete result stays beside the input that could not be deleted. A
//   wrong key, a damaged or a cut-off file fail with WrongKeyOrDamaged.
// - progress gets the bytes of the input read so far and its size.
namespace AgeFileCipher {

using CancelCheck = std::function<bool()>;

// path -> path + ".enc".
AgeFileOutcome encryptFile(const QString &path, const QString &keyText,
                           const ByteProgress &progress = {},
                           int workFactor = age::defaultWorkFactor,
                           const CancelCheck &cancelled = {});

// "x.enc" -> "x" (the last four characters, any letter case).
AgeFileOutcome decryptFile(const QString &path, const QString &keyText,
                           const ByteProgress &progress = {}, const CancelCheck &cancelled = {});

// Whether path is a regular file that starts like the strong format. Reads
// only its first bytes; links, pipes and devices answer false unopened.
bool isAgeFile(const QString &path);

// The outcome in the terms of the compatible format's work, so that a run
// over a list reports both formats alike (the reason in English).
FileWorkOutcome asFileWorkOutcome(const AgeFileOutcome &outcome, bool decrypting);

} // namespace AgeFileCipher
