#pragma once

#include "core/Language.h"
#include "jobs/FileJobObserver.h"
#include "shred/OverwriteAndDelete.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

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

    // Lets a test look at (or change) a file between its passes.
    void setPassObserver(ShredPassObserver afterPass);

private:
    void inform(const QString &text);
    void destroy(int index, const QString &path, bool otherNamesConfirmed, ShredJobResult &result,
                 QString &removalReason);

    QStringList m_paths;
    std::optional<int> m_requestedCount;
    Language m_language;
    Prompter &m_prompter;
    FileJobObserver &m_observer;
    ShredPassObserver m_afterPass;
    int m_count = 0;
    std::atomic<bool> m_cancel{false};
};
