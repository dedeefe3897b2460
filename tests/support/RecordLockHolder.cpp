#include "RecordLockHolder.h"

#include <QFile>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

RecordLockHolder::RecordLockHolder(const QString &path)
{
    int ready[2];
    int release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0)
        return;
    const QByteArray native = QFile::encodeName(path);
    m_child = ::fork();
    if (m_child == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        const int fd = ::open(native.constData(), O_RDWR);
        struct flock lock
        {
        };
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const char ok = (fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0) ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        char byte;
        (void)!::read(release[0], &byte, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    m_release = release[1];
    char ok = '0';
    m_locked = m_child > 0 && ::read(ready[0], &ok, 1) == 1 && ok == '1';
    ::close(ready[0]);
}

RecordLockHolder::~RecordLockHolder()
{
    if (m_release >= 0)
        ::close(m_release);
    if (m_child > 0)
        ::waitpid(m_child, nullptr, 0);
}
