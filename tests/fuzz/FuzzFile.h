#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>

// The readers under test take a path: each input is written to one scratch
// file of the process, in memory (/dev/shm) where there is such a folder.
inline QString fuzzScratchFolder()
{
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                     : QDir::tempPath();
}

inline QString fuzzScratchFile(const QByteArray &bytes, const char *name)
{
    static const QString path = fuzzScratchFolder() + QStringLiteral("/velmora-fuzz-%1-%2")
                                                          .arg(QCoreApplication::applicationPid())
                                                          .arg(QLatin1String(name));
    // Removes the scratch file when the run ends.
    static const struct Remover
    {
        QString path;
        ~Remover() { QFile::remove(path); }
    } remover{path};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    return path;
}

// Stops the run with a crash report when a property does not hold.
inline void fuzzCheck(bool condition)
{
    if (!condition)
        std::abort();
}
