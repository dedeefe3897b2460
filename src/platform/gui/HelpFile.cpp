#include "platform/gui/HelpFile.h"

#include "platform/gui/DesktopServices.h"

#include <QDir>
#include <QFileInfo>

namespace HelpFile {

namespace {

QString &applicationFile()
{
    static QString path;
    return path;
}

} // namespace

QString pageFor(const QString &programFolder, int language)
{
    return programFolder
           + (language == 0 ? QStringLiteral("velmorade.html") : QStringLiteral("velmora.html"));
}

void setApplicationHelpFile(const QString &path)
{
    applicationFile() = path;
}

QString applicationHelpFile()
{
    return applicationFile();
}

QUrl contextUrl(const QString &helpFile, int context)
{
    QUrl url = QUrl::fromLocalFile(QDir::fromNativeSeparators(helpFile));
    url.setFragment(QStringLiteral("context-%1").arg(context));
    return url;
}

bool showContext(int context)
{
    const QString file = applicationFile();
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return false;
    return DesktopServices::openUrl(contextUrl(file, context));
}

} // namespace HelpFile
