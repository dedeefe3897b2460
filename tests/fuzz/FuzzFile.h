#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>

// The readers under test take a path: each input is written to one scratch
// file of the process, in a folder of its own that only its owner may
// change (the settings reader refuses a folder that others may write to), in
// memory (/dev/shm) where there is such a folder.
inline QString fuzzScratchFolder()
{
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    const QString folder =
        base + QStringLiteral("/velmora-fuzz-%1").arg(QCoreApplication::applicationPid());
    if (!QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner))
        std::abort();
    return folder;
}

inline QString fuzzScratchFile(const QByteArray &bytes, const char *name)
{
    static const QString folder = fuzzScratchFolder();
    static const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    // Removes the scratch file and its folder when the run ends.
    static const struct Remover
    {
        QString folder;
        QString path;
        ~Remover()
        {
            QFile::remove(path);
            QDir().rmdir(folder);
        }
    } remover{folder, path};
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
