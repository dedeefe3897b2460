#pragma once

#include "jobs/FileJobObserver.h"

#include <QList>
#include <QStringList>

#include <functional>

// A FileJobObserver for tests: keeps every call in order, the byte counts of
// the last file, and lets a test act on a report as it arrives.
class RecordingObserver : public FileJobObserver
{
public:
    void fileStarted(int index, const QString &path) override;
    void bytesDone(quint64 done, quint64 total) override;
    void runBytesDone(quint64 done, quint64 total) override;
    void fileDone(const FileReport &report) override;

    QList<FileOutcome> outcomes() const;

    QList<int> started;
    QStringList startedPaths;
    QList<FileReport> reports;
    quint64 lastDone = 0;
    quint64 lastTotal = 0;
    QList<quint64> runDone; // every runBytesDone count, in order
    quint64 runTotal = 0;
    std::function<void(const FileReport &)> onFileDone;
    std::function<void(quint64)> onBytesDone;
};
