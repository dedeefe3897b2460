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
    const QString name =
        language == 0 ? QStringLiteral("velmorade.html") : QStringLiteral("velmora.html");
    QString besideProgram = programFolder + name;
    if (QFileInfo(besideProgram).isFile())
        return besideProgram;
    // An installed program keeps its pages in the shared data folder.
    const QString installed =
        QDir::cleanPath(programFolder + QStringLiteral("../share/velmora2/") + name);
    if (QFileInfo(installed).isFile())
        return QDir::toNativeSeparators(installed);
    return besideProgram;
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
