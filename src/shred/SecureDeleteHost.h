#pragma once

#include "shred/ShredReport.h"

#include <QString>

#include <functional>

class Prompter;

// What the batch run DeleteListedFiles needs from the window that hosts it:
// the list of files, the folder and overwrite count fields, the progress bar,
// the result label, the language, the cancel flag and a way to talk to the
// user. The secure delete window implements it; so do the command-line
// companion and the tests.
class SecureDeleteHost
{
public:
    virtual ~SecureDeleteHost() = default;

    // The list: one file name per entry, exactly as it is named in the
    // folder. A processed entry is replaced by two blanks.
    virtual int entryCount() const = 0;
    virtual QString entry(int index) const = 0;
    virtual void setEntry(int index, const QString &text) = 0;
    // Removes the entries that are blank after trimming and shows the new
    // number of entries (RemoveBlankEntries does the first half).
    virtual void CompactList() = 0;

    // The folder of every listed file, ending with a path delimiter.
    virtual QString folderText() const = 0;

    // The "x overwrite" field.
    virtual QString overwriteCountText() const = 0;
    virtual void setOverwriteCountText(const QString &text) = 0;

    virtual void ShowProgress(int percent) = 0;
    virtual void setResultText(const QString &text) = 0;

    virtual Prompter &prompter() = 0;
    // 0 German, anything else English.
    virtual int language() const = 0;

    // Reads the cancel flag and clears it.
    virtual bool takeCancelRequest() = 0;
    // Lets the window handle what is pending (the cancel button among it).
    // Called after each file that was deleted.
    virtual void processPendingEvents() = 0;

    // Runs the work on one file and returns its result. The default runs it
    // right here; a window may run it on a worker thread and wait for it while
    // it keeps repainting. The work touches files only, never the host.
    virtual bool runFileWork(const std::function<bool()> &work) { return work(); }

    // Told about each file once its work is over, deleted or refused.
    virtual void fileFinished(int index, const QString &path, const ShredReport &report)
    {
        Q_UNUSED(index);
        Q_UNUSED(path);
        Q_UNUSED(report);
    }
};
