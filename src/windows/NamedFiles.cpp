#include "windows/NamedFiles.h"

#include "filecipher/FileRefusalTexts.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString refusal(const QString &path, const QString &why)
{
    return QDir::toNativeSeparators(path) + QLatin1Char(' ') + why;
}

} // namespace

NamedFiles NamedFiles::sort(const QStringList &paths, Language language)
{
    NamedFiles sorted;
    QString realFolder; // the first file's folder, links followed
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists()) {
            sorted.refusals << refusal(path,
                                       FileRefusalTexts::text(FileFailure::NotFound, language));
            continue;
        }
        if (info.isDir()) {
            sorted.refusals << refusal(path,
                                       FileRefusalTexts::text(FileFailure::IsFolder, language));
            continue;
        }
        // The folder part as the system finds it ("..", links), so that
        // folder + name is the very file named, whatever the spelling.
        const QString name = info.fileName();
        const QString folder = QFileInfo(info.path()).canonicalFilePath();
        if (realFolder.isEmpty()) {
            realFolder = folder;
            sorted.folder = QDir::toNativeSeparators(folder);
            if (!sorted.folder.endsWith(QDir::separator()))
                sorted.folder += QDir::separator();
        } else if (folder != realFolder) {
            sorted.refusals << refusal(path,
                                       textFor(language, "liegt nicht im Ordner der ersten Datei",
                                               "is not in the folder of the first file"));
            continue;
        }
        if (!sorted.names.contains(name))
            sorted.names << name;
    }
    return sorted;
}

QString NamedFiles::refusalText(Language language) const
{
    if (refusals.isEmpty())
        return QString();
    return textFor(language, "Nicht in die Liste aufgenommen:", "Not added to the list:") +
           QLatin1Char('\n') + refusals.join(QLatin1Char('\n'));
}
