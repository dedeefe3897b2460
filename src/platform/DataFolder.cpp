#include "platform/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

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
    if (!QDir().mkdir(folder))
        return false;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner);
    return true;
}

} // namespace DataFolder
