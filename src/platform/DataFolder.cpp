#include "platform/DataFolder.h"

#include "platform/SafeOpen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cerrno>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace DataFolder {

namespace {

QString withoutTrailingDelimiters(QString folder)
{
    folder = QDir::fromNativeSeparators(folder);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

} // namespace

QString path()
{
    QString base;
#if defined(Q_OS_WIN)
    base = qEnvironmentVariable("APPDATA");
#elif defined(Q_OS_MACOS)
    base = QDir::homePath() + QStringLiteral("/Library/Application Support");
#else
    base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
#endif
    while (base.endsWith(QLatin1Char('/')) || base.endsWith(QLatin1Char('\\')))
        base.chop(1);
    return QDir::toNativeSeparators(base + QStringLiteral("/velmora/"));
}

FileProblem check(const QString &folder)
{
    const QString target = withoutTrailingDelimiters(folder);
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(target).constData(), &info) != 0)
        return FileProblem::system(target, errno);
    if (!S_ISDIR(info.st_mode))
        return FileProblem::system(target, ENOTDIR);
    if (info.st_uid != ::geteuid())
        return FileProblem::of(FileProblem::Kind::NotOwned, target);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return FileProblem::of(FileProblem::Kind::OpenToOthers, target);
    return FileProblem{};
}

FileProblem prepare(const QString &folder)
{
    const QString target = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    // Every missing folder on the way is made owner-only: a parent made with
    // the umask's permissions would let others see or replace what is below.
    const QStringList parts = target.split(QLatin1Char('/'));
    QString current;
    for (const QString &part : parts) {
        current += part;
        if (!current.isEmpty() && !QFileInfo(current).isDir()) {
            FileProblem problem;
            if (!SafeOpen::createPrivateFolder(current, &problem) && !QFileInfo(current).isDir())
                return problem;
        }
        current += QLatin1Char('/');
    }
    return check(target);
}

} // namespace DataFolder
