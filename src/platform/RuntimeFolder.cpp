#include "platform/RuntimeFolder.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <utility>

#if !defined(Q_OS_WIN)
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace RuntimeFolder {

bool isPrivate(const QString &folder)
{
#if defined(Q_OS_WIN)
    Q_UNUSED(folder);
    return false;
#else
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return false;
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
#endif
}

QString usable()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return isPrivate(folder) ? folder : QString();
}

} // namespace RuntimeFolder

ProcessLock::ProcessLock(QString path)
    : m_path(std::move(path))
{
}

ProcessLock::~ProcessLock()
{
    release();
}

ProcessLock::State ProcessLock::tryTake()
{
    if (m_fd >= 0)
        return State::Taken;
#if defined(Q_OS_WIN)
    return State::Unusable;
#else
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0)
        return State::Unusable;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        return State::Unusable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? State::HeldByOther : State::Unusable;
    }
    m_fd = fd;
    return State::Taken;
#endif
}

void ProcessLock::release()
{
#if !defined(Q_OS_WIN)
    if (m_fd >= 0)
        ::close(m_fd);
#endif
    m_fd = -1;
}
