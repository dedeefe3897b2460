#pragma once

#include "core/Language.h"
#include "jobs/FileJobObserver.h"
#include "jobs/RunPlan.h"
#include "shred/OverwriteAndDelete.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <vector>

class Prompter;

// How a secure delete run went.
struct ShredJobResult
{
    int total = 0;                 // files handed to the run
    int done = 0;                  // nothing left of them: removed, or already gone
    int refused = 0;               // could not be opened or written
    int notRegular = 0;            // links, folders, special files, unconfirmed hard links
    int overwrittenNotRemoved = 0; // content destroyed, file still there
    int changedMeanwhile = 0;      // replaced, moved, cut short or growing during the passes: kept
    int unusableNames = 0;         // names that may stand for other files: not touched
    int overwriteCount = 0;        // count used; 0 when the run ended before it
    bool confirmed = false;        // the user said Yes
    bool cancelled = false;        // stopped by cancel()
    QString partlyOverwritten;     // the file a stop left between two passes
    int passesDone = 0;            // of that file
    int passes = 0;
    // Files of listed folders left alone, with the reason, in the order found.
    std::vector<SkippedFile> skipped;
    int foldersRemoved = 0;  // folders of the run that it emptied and removed
    QStringList foldersKept; // folders of the run with something left in them

    int notDeleted() const
    {
        return refused + notRegular + overwrittenNotRemoved + changedMeanwhile + unusableNames;
    }
};

// The secure delete run over a list of files: asks for confirmation (naming
// files whose other names would lose their data too), takes the overwrite
// count, destroys the files one by one and reports each to the observer,
// then says how many could not be deleted and why.
//
// With setTakeFolders, a listed folder stands for the files in it (RunPlan:
// links never followed, staying on its file system): the question names the
// number of files, their total size and the folders; every file found is
// destroyed in place, those that cannot be (links, special files, further
// names, another run holding it, changed since the folder was read) are
// skipped and listed; then the folders it emptied are removed, deepest
// first, each only while empty and still the folder found.
//
// run() is meant for a worker thread: it talks to the user only through the
// prompter and reports only through the observer. cancel() may be called
// from any thread; the run stops once the pass being written has reached
// the disk, or before the next file.
class ShredJob
{
public:
    // `paths`: absolute paths of the files. `overwriteCount`: the count the
    // user asked for, brought into 1..10; nothing when the field held no
    // number (the run says so and uses 2).
    ShredJob(QStringList paths, std::optional<int> overwriteCount, Language language,
             Prompter &prompter, FileJobObserver &observer);

    ShredJobResult run();
    void cancel();
    void setTakeFolders(bool take, bool crossFileSystems = false);

    // Lets a test look at (or change) a file between its passes.
    void setPassObserver(ShredPassObserver afterPass);

private:
    void inform(const QString &text);
    void destroy(const RunItem &item, bool otherNamesConfirmed, ShredJobResult &result,
                 QString &removalReason);
    void skip(const RunItem &item, SkipReason reason, ShredJobResult &result,
              const QString &detail = {});
    void removeEmptiedFolders(const RunPlan &plan, ShredJobResult &result);

    QStringList m_paths;
    std::optional<int> m_requestedCount;
    Language m_language;
    Prompter &m_prompter;
    FileJobObserver &m_observer;
    ShredPassObserver m_afterPass;
    int m_count = 0;
    std::atomic<bool> m_cancel{false};
    RunPlanOptions m_planOptions;
    quint64 m_runBytesBefore = 0;
    quint64 m_runBytes = 0;
};
