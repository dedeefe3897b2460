#include "platform/SafeFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

SafeFile::Failure failureOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return SafeFile::Failure::Missing;
    case EACCES:
    case EPERM:
    case EROFS:
        return SafeFile::Failure::AccessDenied;
    case EEXIST:
        return SafeFile::Failure::Exists;
    case ELOOP:
        return SafeFile::Failure::Link;
    case EWOULDBLOCK:
        return SafeFile::Failure::InUse;
    default:
        return SafeFile::Failure::Other;
    }
}

qint64 nanoseconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + qint64(time.tv_nsec);
}

SafeFile::Identity identityOf(const struct stat &info)
{
    SafeFile::Identity identity;
    identity.device = quint64(info.st_dev);
    identity.inode = quint64(info.st_ino);
    identity.size = qint64(info.st_size);
    identity.modifiedNs = nanoseconds(info.st_mtim);
    identity.changedNs = nanoseconds(info.st_ctim);
    identity.links = quint64(info.st_nlink);
    identity.permissions = unsigned(info.st_mode & 07777);
    identity.regular = S_ISREG(info.st_mode);
    return identity;
}

} // namespace

SafeFile::SafeFile(int fd, Failure failure, QString errorText)
    : m_fd(fd)
    , m_failure(failure)
    , m_errorText(std::move(errorText))
{
}

SafeFile SafeFile::failed(Failure failure, const QString &errorText)
{
    return SafeFile(-1, failure, errorText);
}

SafeFile::~SafeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

SafeFile::SafeFile(SafeFile &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_failure(other.m_failure)
    , m_errorText(std::move(other.m_errorText))
{
}

SafeFile &SafeFile::operator=(SafeFile &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_failure = other.m_failure;
        m_errorText = std::move(other.m_errorText);
    }
    return *this;
}

SafeFile SafeFile::openForReading(const QString &path, bool lockExclusive)
{
    const QByteArray native = nativePath(path);
    struct stat before
    {
    };
    if (::lstat(native.constData(), &before) != 0)
        return failed(failureOf(errno), systemText(errno));
    if (S_ISLNK(before.st_mode))
        return failed(Failure::Link, QStringLiteral("symbolic link"));
    if (!S_ISREG(before.st_mode))
        return failed(Failure::NotRegular, QStringLiteral("not a regular file"));

    // O_NONBLOCK: should a pipe have taken the file's place since the look
    // above, opening it must not wait for a writer.
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(failureOf(errno), systemText(errno));
    SafeFile file(fd, Failure::None, {});

    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0)
        return failed(failureOf(errno), systemText(errno));
    if (!S_ISREG(opened.st_mode))
        return failed(Failure::NotRegular, QStringLiteral("not a regular file"));
    if (opened.st_dev != before.st_dev || opened.st_ino != before.st_ino)
        return failed(Failure::Replaced, QStringLiteral("the file was replaced while opening"));

    // Reads of a regular file never block; plain blocking mode from here on.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return failed(failureOf(errno), systemText(errno));

    if (lockExclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            return failed(Failure::InUse, QStringLiteral("the file is in use by another run"));
        return failed(failureOf(error), systemText(error));
    }
    return file;
}

SafeFile SafeFile::createExclusive(const QString &path)
{
    const int fd = ::open(nativePath(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return failed(failureOf(errno), systemText(errno));
    return SafeFile(fd, Failure::None, {});
}

std::optional<SafeFile::Identity> SafeFile::identity() const
{
    struct stat info
    {
    };
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        return std::nullopt;
    return identityOf(info);
}

bool SafeFile::setPermissions(unsigned permissions)
{
    return m_fd >= 0 && ::fchmod(m_fd, mode_t(permissions & 07777)) == 0;
}

bool SafeFile::flushToDisk()
{
    return m_fd >= 0 && ::fsync(m_fd) == 0;
}

bool SafeFile::close()
{
    if (m_fd < 0)
        return true;
    const int fd = std::exchange(m_fd, -1);
    return ::close(fd) == 0;
}

std::optional<SafeFile::Identity> SafeFile::identityAt(const QString &path, Failure *failure)
{
    struct stat info
    {
    };
    if (::lstat(nativePath(path).constData(), &info) != 0) {
        if (failure)
            *failure = failureOf(errno);
        return std::nullopt;
    }
    if (failure)
        *failure = Failure::None;
    return identityOf(info);
}

bool SafeFile::isLink(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(nativePath(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool SafeFile::renameOver(const QString &from, const QString &to, QString *errorText)
{
    if (::rename(nativePath(from).constData(), nativePath(to).constData()) == 0)
        return true;
    if (errorText)
        *errorText = systemText(errno);
    return false;
}

bool SafeFile::removeEntry(const QString &path, QString *errorText)
{
    if (::unlink(nativePath(path).constData()) == 0 || errno == ENOENT)
        return true;
    if (errorText)
        *errorText = systemText(errno);
    return false;
}
