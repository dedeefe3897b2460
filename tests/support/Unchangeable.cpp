#include "Unchangeable.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

Unchangeable::Unchangeable(const QString &path)
    : m_path(path)
{
    if (::geteuid() == 0) {
        m_immutable =
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        m_active = m_immutable;
        return;
    }
    const QByteArray native = QFile::encodeName(path);
    struct stat info
    {
    };
    if (::lstat(native.constData(), &info) != 0)
        return;
    m_mode = info.st_mode & 07777;
    m_active = ::chmod(native.constData(), m_mode & ~mode_t(0222)) == 0;
}

Unchangeable::~Unchangeable()
{
    if (m_immutable)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
    else if (m_active)
        ::chmod(QFile::encodeName(m_path).constData(), m_mode);
}
