#include "FullDisk.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

FullDisk::FullDisk()
{
    if (::geteuid() != 0) {
        m_reason = QStringLiteral("mounting a tmpfs needs root");
        return;
    }
    const QByteArray folder = QFile::encodeName(m_dir.path());
    if (::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=1m,mode=0700") != 0) {
        m_reason = QStringLiteral("mount failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    m_mounted = true;
    const int fd =
        ::open((folder + "/filler").constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    char block[4096] = {};
    while (fd >= 0) {
        if (::write(fd, block, sizeof block) < 0) {
            m_full = errno == ENOSPC;
            break;
        }
    }
    // The last partial block, byte by byte.
    while (fd >= 0 && ::write(fd, block, 1) == 1) {
    }
    if (fd >= 0)
        ::close(fd);
    if (!m_full)
        m_reason = QStringLiteral("the tmpfs did not fill up");
}

FullDisk::~FullDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}
