#include "platform/NameRemoval.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int NameAttempts = 16;

// Short and fixed in length, so that it fits wherever the original name fit.
QByteArray asideName()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name(".velmora-shred.");
    for (int k = 0; k < 6; ++k)
        name += letters[QRandomGenerator::system()->bounded(36)];
    return name;
}

NameRemoval outcome(NameRemoval::Result result)
{
    NameRemoval removal;
    removal.result = result;
    return removal;
}

NameRemoval refusal(int error)
{
    if (error == ENOENT)
        return outcome(NameRemoval::Result::Missing);
    NameRemoval removal;
    removal.result = NameRemoval::Result::Failed;
    removal.cause = systemCauseOf(error);
    removal.reason = systemErrorText(error);
    return removal;
}

// An open folder, closed when the object goes.
class Folder
{
public:
    explicit Folder(const QByteArray &path)
        : m_fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~Folder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// What stands under `name` in the folder: the expected file (Removed means
// "yes" here), something else, or nothing.
NameRemoval::Result lookAt(int folder, const QByteArray &name,
                           const NameRemoval::Expected &expected, int descriptor, int *error)
{
    struct stat info
    {
    };
    if (::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        *error = errno;
        return errno == ENOENT ? NameRemoval::Result::Missing : NameRemoval::Result::Failed;
    }
    if (!S_ISREG(info.st_mode) || static_cast<quint64>(info.st_dev) != expected.device ||
        static_cast<quint64>(info.st_ino) != expected.inode)
        return NameRemoval::Result::Replaced;
    if (expected.size >= 0) {
        // Through the open file when there is one: the same inode, asked last.
        if (descriptor >= 0 && ::fstat(descriptor, &info) != 0) {
            *error = errno;
            return NameRemoval::Result::Failed;
        }
        if (static_cast<qint64>(info.st_size) != expected.size)
            return NameRemoval::Result::SizeChanged;
    }
    return NameRemoval::Result::Removed;
}

bool renameNoReplace(int folder, const QByteArray &from, const QByteArray &to, int *error)
{
#if defined(Q_OS_LINUX) && defined(RENAME_NOREPLACE)
    if (::renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    *error = errno;
#else
    Q_UNUSED(folder);
    Q_UNUSED(from);
    Q_UNUSED(to);
    *error = ENOSYS;
#endif
    return false;
}

} // namespace

NameRemoval NameRemoval::remove(const QString &path, const Expected &expected, int descriptor)
{
    const QByteArray native = QFile::encodeName(path);
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folderPath =
        slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : native.left(slash));
    const QByteArray name = slash < 0 ? native : native.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return outcome(Result::Replaced);

    const Folder folder(folderPath);
    if (folder.fd() < 0)
        return refusal(errno);

    int error = 0;
    Result seen = lookAt(folder.fd(), name, expected, descriptor, &error);
    if (seen == Result::Failed)
        return refusal(error);
    if (seen != Result::Removed)
        return outcome(seen);

    // Move whatever stands at the name now aside to a name of our own.
    QByteArray aside;
    bool moved = false;
    for (int attempt = 0; attempt < NameAttempts && !moved; ++attempt) {
        aside = asideName();
        moved = renameNoReplace(folder.fd(), name, aside, &error);
        if (!moved && error != EEXIST)
            break;
    }
    if (!moved) {
        if (error != EINVAL && error != ENOSYS && error != ENOTSUP)
            return refusal(error);
        // No exclusive rename here: one more look, right before the removal.
        seen = lookAt(folder.fd(), name, expected, descriptor, &error);
        if (seen == Result::Failed)
            return refusal(error);
        if (seen != Result::Removed)
            return outcome(seen);
        if (::unlinkat(folder.fd(), name.constData(), 0) != 0)
            return refusal(errno);
        return outcome(Result::Removed);
    }

    seen = lookAt(folder.fd(), aside, expected, descriptor, &error);
    if (seen == Result::Removed) {
        if (::unlinkat(folder.fd(), aside.constData(), 0) == 0) {
            ::fsync(folder.fd());
            return outcome(Result::Removed);
        }
        error = errno;
        seen = Result::Failed;
    }

    // Not the file expected (or it could not be removed): back to its name.
    NameRemoval removal = seen == Result::Failed ? refusal(error) : outcome(seen);
    if (removal.result == Result::Missing)
        return removal; // gone from our own name too: nothing to put back
    int backError = 0;
    if (!renameNoReplace(folder.fd(), aside, name, &backError))
        removal.strandedAt = QFile::decodeName(folderPath.endsWith('/') ? folderPath + aside
                                                                        : folderPath + '/' + aside);
    return removal;
}
