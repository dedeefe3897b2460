#pragma once

#include "age/AgeFormat.h"
#include "core/FileFormat.h"
#include "core/Language.h"
#include "filecipher/LayerChain.h"
#include "jobs/FileJobObserver.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <set>

class Prompter;

enum class CipherDirection { Encrypt, Decrypt };

// What the job does after a file failed, once the failure is reported.
enum class AfterFailure {
    // The encrypt/decrypt window's way: encrypting shows "Error encrypting
    // file!"; decrypting asks whether to cancel the run, and on Yes puts the
    // copy of the encrypted file taken before back in its place and stops.
    Ask,
    // Reports the failure and goes on with the next file; no copy is taken.
    GoOn,
};

// What the job does when a file decrypted from the compatible format does
// not look like its name promises (report.pdf that does not start like a
// PDF): the sign of a wrong key, which that format cannot tell by itself.
enum class UnfitResult {
    Ask,    // "Keep the result anyway?"; No keeps the encrypted file
    Refuse, // keeps the encrypted file and reports the file as failed
    Keep,   // tells about it and keeps the result
};

struct EncryptJobOptions
{
    CipherDirection direction = CipherDirection::Encrypt;
    // The user's guess that the files are encrypted already (the window's
    // "Encrypted" box). Encrypting with it set, or decrypting without it,
    // asks for a confirmation before the first file.
    bool markedEncrypted = false;
    AfterFailure afterFailure = AfterFailure::Ask;
    Language language = Language::English;
    // The format encrypted files are written in. Decrypting reads either
    // format, whichever each file has.
    FileFormat format = FileFormat::Compatible;
    int ageWorkFactor = age::defaultWorkFactor;
    UnfitResult unfitResult = UnfitResult::Ask;
    // Asked between files and while one is worked on, on the job's thread:
    // once true, the file in work is abandoned whatever its format (left as
    // it was, nothing of its result kept) and the job stops. The companion
    // stops this way on a stop signal.
    std::function<bool()> stopNow;
};

struct EncryptJobSummary
{
    // False when nothing ran: the list was empty or the question before the
    // run was answered No.
    bool started = false;
    int done = 0;   // files encrypted or decrypted
    int failed = 0; // files that failed; each is left as it was
    // The job ended before the end of the list: cancel() was called, or the
    // user chose to cancel after a failed file (stoppedAfterFailure).
    bool stoppedEarly = false;
    bool stoppedAfterFailure = false;
};

// Encrypts (path -> path.enc) or decrypts (path.enc -> path) a list of files
// in place with one key text: the question before the run, each file's work,
// the messages after a failure and the reports to the observer, in the order
// of the list.
//
// Every file gets one fileDone report: Skipped for a name that is no file
// (reason "no such file" or "is a folder"), Done with the result's path,
// Failed with the reason (the file is left as it was; also for a name that
// may stand for another file, NameBytes::mayStandForOtherName, which is
// neither read nor written), and Cancelled for the files after the job
// stopped. fileStarted and bytesDone come only for files that are worked on.
// Questions and messages go through the prompter, in the texts of the given
// language.
//
// Before the first file of each folder, the part files that an earlier run
// left there when it was killed are overwritten and removed
// (PartFileLeftovers), and a message says so.
//
// run() works on the calling thread; cancel() may be called from any thread
// and stops the job before the next file. A file in work is finished first,
// except one in the strong format, whose work stops (the file is kept).
// EncryptJobOptions::stopNow stops inside the file in either format.
class EncryptJob
{
public:
    EncryptJob(QString keyText, QStringList paths, EncryptJobOptions options,
               FileJobObserver &observer, Prompter &prompter);

    EncryptJobSummary run();
    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }

private:
    bool confirmStart();
    bool stopping() const;
    bool stopNowAsked() const;
    void removeLeftoversBeside(const QString &path);
    // Works on one existing file, or refuses one whose name may stand for
    // another (nameUsable false); false when the job is to stop.
    bool workOn(int index, const QString &path, bool nameUsable);
    FileWorkOutcome workOnFile(const QString &path, bool ageInput, const ByteProgress &progress);
    bool acceptResult(const QString &resultTempPath, const QString &finalName);
    void reportFailure(const FileWorkOutcome &outcome);
    void reportRemainingAsCancelled(int from);
    bool decrypting() const { return m_options.direction == CipherDirection::Decrypt; }

    QString m_keyText;
    QStringList m_paths;
    EncryptJobOptions m_options;
    FileJobObserver &m_observer;
    Prompter &m_prompter;
    std::atomic<bool> m_cancelled{false};
    bool m_stoppedInFile = false;
    std::set<QString> m_foldersLookedAt;
    EncryptJobSummary m_summary;
};
