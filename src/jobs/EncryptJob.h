#pragma once

#include "age/AgeFormat.h"
#include "core/FileFormat.h"
#include "core/Language.h"
#include "filecipher/LayerChain.h"
#include "jobs/FileJobObserver.h"
#include "jobs/RunPlan.h"
#include "platform/FileIdentity.h"
#include "shred/OverwriteAndDelete.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <set>
#include <vector>

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
    // Folders of the list stand for the files in them (RunPlan); without
    // it a folder is skipped as "is a folder".
    bool takeFolders = false;
    // Folders on other file systems inside a listed folder are entered too.
    bool crossFileSystems = false;
    // Encrypting: once a file's result is complete, flushed and in place and
    // the original proved unchanged, the original is overwritten with the
    // secure delete engine's passes (the default count) before it goes,
    // instead of only being deleted. An original that cannot be overwritten
    // in full is named in the summary and in a message after the run; its
    // result stays.
    bool overwriteOriginals = false;
    // Lets a test look at an original between its passes.
    ShredPassObserver originalPassObserver;
};

struct EncryptJobSummary
{
    // False when nothing ran: the list was empty or the question before the
    // run was answered No.
    bool started = false;
    int done = 0;   // files encrypted or decrypted
    int failed = 0; // files that failed; each is left as it was
    // Files of listed folders not worked on, in the order found.
    std::vector<SkippedFile> skipped;
    // The job ended before the end of the list: cancel() was called, or the
    // user chose to cancel after a failed file (stoppedAfterFailure).
    bool stoppedEarly = false;
    bool stoppedAfterFailure = false;
    // With overwriteOriginals: files encrypted (counted in done) whose
    // original could not be overwritten in full, with what happened and
    // what is left of it.
    std::vector<SkippedFile> originalsNotOverwritten;
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
//
// With EncryptJobOptions::takeFolders, a listed folder stands for the files
// in it, found without following links and worked on in place (RunPlan):
// each of them gets a report with inFolder set and the folder's index, and
// each file skipped there (already ".enc" when encrypting, not ".enc" when
// decrypting, a link, a special file, further names, another run holding it,
// changed since the folder was read, a result's name that the folder holds
// already) a Skipped report with its reason.
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
    bool workOn(const RunItem &item, bool nameUsable);
    void skip(const RunItem &item, SkipReason reason, const QString &detail = {});
    void reportRunBytes(quint64 doneInFile, quint64 totalInFile);
    FileWorkOutcome workOnFile(const QString &path, bool ageInput, const ByteProgress &progress,
                               const DisposeInput &disposeOriginal);
    // What became of an original handed to the secure delete engine.
    struct OriginalShred
    {
        std::optional<ShredReport> report; // none until the engine had it
        FileIdentity identity;             // the original as the run held it
    };
    // How the original goes when the originals are overwritten; nothing
    // otherwise.
    DisposeInput originalDisposal(OriginalShred &shred);
    void noteOriginalNotOverwritten(const QString &path, const OriginalShred &shred);
    int originalPasses() const;
    bool acceptResult(const QString &resultTempPath, const QString &finalName);
    void reportFailure(const FileWorkOutcome &outcome);
    void reportRemainingAsCancelled(std::size_t from);
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
    RunPlan m_plan;
    quint64 m_runBytesBefore = 0; // of the files before the one in work
    qint64 m_fileShare = 0;       // that file's length as found
};
