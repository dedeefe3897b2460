#include "platform/LockedInputFile.h"

#include "platform/SystemError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

LockedInputFile::Failure failureOfKind(FileIdentity::Kind kind)
{
    switch (kind) {
    case FileIdentity::Kind::Missing:
        return LockedInputFile::Failure::NotFound;
    case FileIdentity::Kind::Link:
        return LockedInputFile::Failure::Link;
    case FileIdentity::Kind::Folder:
        return LockedInputFile::Failure::Folder;
    case FileIdentity::Kind::Other:
        return LockedInputFile::Failure::NotRegular;
    case FileIdentity::Kind::Unreadable:
        return LockedInputFile::Failure::Other;
    case FileIdentity::Kind::RegularFile:
        break;
    }
    return LockedInputFile::Failure::None;
}

} // namespace

LockedInputFile::~LockedInputFile()
{
    close();
}

bool LockedInputFile::fail(Failure failure, const QString &text)
{
    close();
    m_failure = failure;
    m_errorText = text;
    return false;
}

bool LockedInputFile::open(const QString &path)
{
    close();
    m_path = path;
    m_failure = Failure::None;
    m_errorText.clear();

    const FileIdentity seen = FileIdentity::ofPath(path);
    if (seen.kind == FileIdentity::Kind::Unreadable && seen.cause == SystemCause::AccessDenied)
        return fail(Failure::AccessDenied, seen.reason);
    if (seen.kind != FileIdentity::Kind::RegularFile)
        return fail(failureOfKind(seen.kind), seen.reason);

    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return fail(Failure::NotFound, systemErrorText(error));
        if (error == ELOOP)
            return fail(Failure::Link, systemErrorText(error));
        if (error == EACCES || error == EPERM)
            return fail(Failure::AccessDenied, systemErrorText(error));
        if (error == EWOULDBLOCK)
            return fail(Failure::InUse, systemErrorText(error));
        return fail(Failure::Other, systemErrorText(error));
    }
    const FileIdentity opened = FileIdentity::ofDescriptor(m_fd);
    if (opened.kind != FileIdentity::Kind::RegularFile)
        return fail(failureOfKind(opened.kind), opened.reason);
    if (!opened.sameFile(seen))
        return fail(Failure::Replaced, QString());
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(Failure::Other, systemErrorText(errno));

    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        return fail(error == EWOULDBLOCK ? Failure::InUse : Failure::Other, systemErrorText(error));
    }
    // The state under the lock is the one the run starts from.
    m_identity = FileIdentity::ofDescriptor(m_fd);
    if (!m_identity.sameFile(seen))
        return fail(Failure::Replaced, QString());
    return true;
}

void LockedInputFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd); // also releases the lock
    m_fd = -1;
}

bool LockedInputFile::unchanged() const
{
    if (m_fd < 0)
        return false;
    return FileIdentity::ofDescriptor(m_fd).sameState(m_identity) &&
           FileIdentity::ofPath(m_path).sameState(m_identity);
}

qint64 LockedInputFile::read(std::span<char> buffer)
{
    qint64 got = 0;
    while (got < static_cast<qint64>(buffer.size())) {
        const ssize_t part = ::read(m_fd, buffer.data() + got, buffer.size() - size_t(got));
        if (part < 0) {
            if (errno == EINTR)
                continue;
            m_errorText = systemErrorText(errno);
            return -1;
        }
        if (part == 0)
            break;
        got += part;
    }
    return got;
}

void LockedInputFile::adviseSequential()
{
#if defined(Q_OS_LINUX)
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}
