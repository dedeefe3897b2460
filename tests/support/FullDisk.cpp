#include "FullDisk.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

SmallFileSystem::SmallFileSystem(const char *size)
{
    if (::geteuid() != 0) {
        m_reason = QStringLiteral("mounting a tmpfs needs root");
        return;
    }
    const QByteArray options = QByteArray("size=") + size + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                options.constData()) != 0) {
        m_reason = QStringLiteral("mount failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    m_mounted = true;
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool SmallFileSystem::fillUp()
{
    const int fd = ::open(QFile::encodeName(m_dir.filePath(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool full = false;
    char block[4096] = {};
    for (;;) {
        if (::write(fd, block, sizeof block) < 0) {
            full = errno == ENOSPC;
            break;
        }
    }
    // The last partial block, byte by byte.
    while (::write(fd, block, 1) == 1) {
    }
    ::close(fd);
    return full;
}

FullDisk::FullDisk()
    : SmallFileSystem("1m")
{
    if (!isMounted())
        return;
    m_full = fillUp();
    if (!m_full)
        m_reason = QStringLiteral("the tmpfs did not fill up");
}
