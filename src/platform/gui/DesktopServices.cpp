#include "platform/gui/DesktopServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>

namespace DesktopServices {

namespace {

struct Record
{
    bool recording = false;
    QList<QUrl> urls;
    QList<QStringList> programs;
};

Record &record()
{
    static Record instance;
    return instance;
}

} // namespace

bool openUrl(const QUrl &url)
{
    if (record().recording) {
        record().urls.append(url);
        return true;
    }
    return QDesktopServices::openUrl(url);
}

bool viewFile(const QString &path)
{
    return openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(path)));
}

bool showFolder(const QString &folder)
{
    return openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(folder)));
}

bool runHidden(const QString &file, const QStringList &arguments)
{
    record().programs.append(QStringList{file} + arguments);
    QProcess process;
    process.setProgram(file);
    process.setArguments(arguments);
    // The started program talks to nobody: its standard channels go nowhere,
    // and it has no working folder of ours to hold on to.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setWorkingDirectory(QDir::rootPath());
    return process.startDetached();
}

void setRecording(bool enabled)
{
    record().recording = enabled;
}

QList<QUrl> openedUrls()
{
    return record().urls;
}

QList<QStringList> startedPrograms()
{
    return record().programs;
}

void clearHistory()
{
    record().urls.clear();
    record().programs.clear();
}

} // namespace DesktopServices
