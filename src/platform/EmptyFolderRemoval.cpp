#include "platform/EmptyFolderRemoval.h"

#include "platform/OwnedDescriptor.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace EmptyFolderRemoval {

namespace {

constexpr int FolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

Report failed(int error)
{
    Report report;
    if (error == ENOENT || error == ENOTDIR || error == ELOOP) {
        report.outcome = Outcome::Changed;
        return report;
    }
    report.outcome = error == ENOTEMPTY || error == EEXIST ? Outcome::NotEmpty : Outcome::Failed;
    report.cause = systemCauseOf(error);
    report.reason = systemErrorText(error);
    return report;
}

} // namespace

Report removeEmpty(const QString &start, const QString &relative, quint64 device, quint64 inode)
{
    QString from = start;
    QByteArrayList names = QFile::encodeName(relative).split('/');
    names.removeAll(QByteArray());
    if (names.isEmpty()) {
        // The starting folder itself: from its parent, by its last name.
        const QFileInfo info(start);
        from = info.absolutePath();
        names.append(QFile::encodeName(info.fileName()));
    }
    OwnedDescriptor folder(::open(QFile::encodeName(from).constData(), FolderOpenFlags));
    if (folder.get() < 0)
        return failed(errno);
    const QByteArray &last = names.last();
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        const int next = ::openat(folder.get(), names.at(i).constData(), FolderOpenFlags);
        if (next < 0)
            return failed(errno);
        folder.reset(next);
    }
    struct stat info
    {
    };
    if (::fstatat(folder.get(), last.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return failed(errno);
    if (!S_ISDIR(info.st_mode) || static_cast<quint64>(info.st_dev) != device ||
        static_cast<quint64>(info.st_ino) != inode) {
        Report report;
        report.outcome = Outcome::Changed;
        return report;
    }
    if (::unlinkat(folder.get(), last.constData(), AT_REMOVEDIR) != 0)
        return failed(errno);
    Report report;
    report.outcome = Outcome::Removed;
    // The folder that held it keeps the removal across a crash.
    ::fsync(folder.get());
    return report;
}

} // namespace EmptyFolderRemoval
