#pragma once

#include <QString>

#include <functional>
#include <vector>

// One RC4 layer of a file: the input, the output, and whether the key is
// derived through SHA-1 (true) or SHA-256 (false).
struct LayerStep
{
    QString input;
    QString output;
    bool useSha1 = false;
};

// Why the work on one file did not happen or did not finish. Every kind
// leaves the user's files as they were (see FileRefusalTexts for the words).
enum class FileFailure {
    None,
    NotFound,
    NotEncryptedName,   // a decrypt of a name without ".enc"
    IsLink,             // the input is a symbolic link
    IsFolder,           // the input is a folder
    NotRegularFile,     // the input is a pipe, socket or device
    MultipleNames,      // the input has further hard links
    InUse,              // another run holds the input or the result's name
    ResultNameBlocked,  // a folder or special file has the result's name
    ResultNameAppeared, // a file took the result's free name during the run
    NameTooLong,        // the result's name is longer than the file system allows
    NameNotText,        // the name is not UTF-8, or may stand for one that is not
    ResultReplaced,     // the result's part file was swapped or removed during the run
    ChangedWhileEncrypted,
    ChangedWhileDecrypted,
    AccessDenied,
    ReadFailed,
    WriteFailed, // also a full disk
    KeyUnusable,
    WrongKeyOrDamaged,   // strong format: wrong key, altered or cut short
    StrongFormatDamaged, // strong format: a header or text form that breaks the rules
    StrongFormatVersion, // strong format: another version than this program reads
    NotForKeyText,       // strong format: made for public keys, not with a key text
    WorkFactorTooHigh,   // strong format: scrypt work factor above the highest accepted
    ResultDoesNotFit,    // the result does not look like its name; it was not kept
    Cancelled,           // the run was stopped inside the file
    CryptoFailed,        // the crypto library refused (memory, randomness)
};

// How the work on one file ended. failedInput is the file the work read,
// reason the English explanation (the words of failure plus the system's
// detail), detail the system's own error text.
struct FileWorkOutcome
{
    // A failure of the work on input, with reason made from the failure's
    // words and detail.
    static FileWorkOutcome refused(const QString &input, FileFailure failure,
                                   const QString &detail = {});

    bool ok = false;
    QString failedInput;
    QString reason;
    QString result; // the file the work produced, after success
    FileFailure failure = FileFailure::None;
    QString detail;
};

// Called with the bytes finished so far and the expected total, from the
// thread that runs the work.
using ByteProgress = std::function<void(quint64 done, quint64 total)>;

// Asked once the result is complete and on the disk under its part-file
// name, before it takes its final name and the input goes: false keeps the
// input and removes the result (ResultDoesNotFit).
using AcceptResult = std::function<bool(const QString &resultTempPath, const QString &finalName)>;

// Asked while a file is worked on, from the thread that runs the work: true
// abandons the file (Cancelled); the input stays as it was and nothing of
// the result is left.
using CancelCheck = std::function<bool()>;

// The heavy part of encrypting or decrypting one file, free of any user
// interface so that it can run on a worker thread: the layers, in order,
// from the first layer's input straight to the last layer's output. The
// bytes between layers never reach a file. The result is written to a new
// file of its own (ExclusiveNewFile), flushed and put in place; the input
// is never changed, and after a failure nothing the work created is left.
FileWorkOutcome runLayerChain(const QString &keyText, const std::vector<LayerStep> &layers,
                              const ByteProgress &progress = {});

class ExclusiveNewFile;
class LockedInputFile;
struct FileIdentity;

// Takes the place of the plain removal of the input once the result is in
// place and the input proved unchanged: called while the run still holds
// the input open and locked, with its name and the state the run checked
// it in. True when the name is gone (the run then flushes its folder).
using DisposeInput = std::function<bool(const QString &input, const FileIdentity &identity)>;

// How the body of a file run ended: a failure kind and the system's words.
struct StreamEnd
{
    FileFailure failure = FileFailure::None;
    QString detail;
};

// Writes the whole output from the opened input. The run around it opens,
// checks and locks the input, creates the output exclusively, puts it in
// place and removes the input; the body only moves the bytes.
using StreamBody = std::function<StreamEnd(LockedInputFile &input, ExclusiveNewFile &output)>;

struct FileTransform
{
    QString input;
    QString output;
    std::vector<bool> layersUseSha1;
    bool decrypting = false;
    bool removeInput = true;
    bool refuseFurtherNames = true;
    quint64 ownNames = 0;
    AcceptResult acceptResult;
    CancelCheck cancelled;
    // In place of the RC4 layers (the strong format); layersUseSha1 is then
    // not used.
    StreamBody body;
    // With removeInput: how the input goes; unset, its name is removed.
    DisposeInput disposeInput;
};

// One file through the layers, with the safety rules of an in-place run:
// the input must be a regular file of one name (apart from `ownNames`
// further names the caller made itself), no other run may hold it or the
// result's name, the result goes in place only as the very file this run
// wrote, and the input is removed once the result is in place and the input
// proved unchanged. A cancel that comes before the result is in place
// abandons the file.
FileWorkOutcome runFileTransform(const QString &keyText, const FileTransform &transform,
                                 const ByteProgress &progress = {});
