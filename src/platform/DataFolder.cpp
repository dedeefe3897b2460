#include "platform/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace DataFolder {

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

bool ensureExists(const QString &folder)
{
    QDir dir(folder);
    if (dir.exists())
        return true;
#if defined(Q_OS_WIN)
    return QDir().mkdir(folder);
#else
    // Created owner-only from the start: the folder holds the personal key.
    QString target = folder;
    while (target.size() > 1 && target.endsWith(QLatin1Char('/')))
        target.chop(1);
    const QByteArray native = QFile::encodeName(target);
    if (::mkdir(native.constData(), S_IRWXU) == 0) {
        ::chmod(native.constData(), S_IRWXU); // whatever the umask took away
        return true;
    }
    return dir.exists();
#endif
}

} // namespace DataFolder
