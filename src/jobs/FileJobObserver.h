#pragma once

#include <QString>
#include <QtGlobal>

// How one file of a job ended.
enum class FileOutcome {
    Done,      // the result is in place and the original is gone
    Skipped,   // nothing to do (no such file, or the user said no)
    Failed,    // refused or failed; the original is untouched
    Cancelled, // the job stopped before this file
};

struct FileReport
{
    int index = -1; // position in the job's list of paths
    QString path;   // the file as the job got it
    QString result; // the name it has now (the result's name after success)
    FileOutcome outcome = FileOutcome::Skipped;
    QString reason; // the system's or the job's explanation after a failure
    // A file found in a folder of the list (index is that folder's entry),
    // not the entry itself.
    bool inFolder = false;
};

// What a file job tells about its progress. The job calls it on the thread
// that runs the job; a window forwards the calls to its own thread.
class FileJobObserver
{
public:
    virtual ~FileJobObserver() = default;

    virtual void fileStarted(int index, const QString &path)
    {
        Q_UNUSED(index);
        Q_UNUSED(path);
    }
    // Bytes of the current file done so far out of total (work units for
    // multi-pass jobs: total counts every pass).
    virtual void bytesDone(quint64 done, quint64 total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    // Bytes of the whole run done so far out of its total: the lengths of all
    // files to work on (times the passes, for multi-pass jobs), as found
    // before the first file.
    virtual void runBytesDone(quint64 done, quint64 total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    virtual void fileDone(const FileReport &report) { Q_UNUSED(report); }
};
