#include "windows/NamedFiles.h"

#include "filecipher/FileRefusalTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

QString refusal(const QString &path, const QString &why)
{
    return QDir::toNativeSeparators(path) + QLatin1Char(' ') + why;
}

// "a/b/" names the folder b as "a/b" does; the root stays "/".
QString withoutTrailingDelimiters(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString withDelimiter(const QString &folder)
{
    QString native = QDir::toNativeSeparators(folder);
    if (!native.endsWith(QDir::separator()))
        native += QDir::separator();
    return native;
}

QString joined(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return folder;
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

NamedFiles NamedFiles::sort(const QStringList &paths, Language language, const QString &listFolder)
{
    NamedFiles sorted;
    // The list's folder as the system finds it, to tell what lies in it.
    QString realFolder;
    if (!listFolder.isEmpty()) {
        sorted.folder = listFolder;
        realFolder = QFileInfo(QDir::fromNativeSeparators(listFolder)).canonicalFilePath();
    }
    QSet<QString> listed;
    for (const QString &named : paths) {
        const QString path = withoutTrailingDelimiters(QDir::fromNativeSeparators(named));
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists()) {
            sorted.refusals << refusal(named,
                                       FileRefusalTexts::text(FileFailure::NotFound, language));
            continue;
        }
        // The folder part as the system finds it ("..", links), so that the
        // entry is the very file named, whatever the spelling; the last part
        // stays as named, so that a link named is the link, not its target.
        const QString name = info.fileName();
        const QString folder = QFileInfo(info.path()).canonicalFilePath();
        NamedEntry entry;
        entry.path = joined(folder, name);
        entry.folder = info.isDir() && !info.isSymLink();
        if (sorted.folder.isEmpty()) {
            realFolder = folder;
            sorted.folder = withDelimiter(folder);
        }
        if (listed.contains(entry.path))
            continue;
        listed.insert(entry.path);
        entry.text =
            !name.isEmpty() && folder == realFolder ? name : QDir::toNativeSeparators(entry.path);
        if (entry.folder && !entry.text.endsWith(QDir::separator()))
            entry.text += QDir::separator();
        sorted.entries.append(entry);
    }
    return sorted;
}

QStringList NamedFiles::texts() const
{
    QStringList shown;
    for (const NamedEntry &entry : entries)
        shown << entry.text;
    return shown;
}

QString NamedFiles::refusalText(Language language) const
{
    if (refusals.isEmpty())
        return QString();
    return textFor(language, "Nicht in die Liste aufgenommen:", "Not added to the list:") +
           QLatin1Char('\n') + refusals.join(QLatin1Char('\n'));
}
