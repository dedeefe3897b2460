#include "RecordingObserver.h"

void RecordingObserver::fileStarted(int index, const QString &path)
{
    started.append(index);
    startedPaths.append(path);
}

void RecordingObserver::bytesDone(quint64 done, quint64 total)
{
    lastDone = done;
    lastTotal = total;
    if (onBytesDone)
        onBytesDone(done);
}

void RecordingObserver::runBytesDone(quint64 done, quint64 total)
{
    runDone.append(done);
    runTotal = total;
}

void RecordingObserver::fileDone(const FileReport &report)
{
    reports.append(report);
    if (onFileDone)
        onFileDone(report);
}

QList<FileOutcome> RecordingObserver::outcomes() const
{
    QList<FileOutcome> result;
    for (const FileReport &report : reports)
        result.append(report.outcome);
    return result;
}
