#include "keys/ExternalKey.h"

#include "keys/KeyFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A name the key file may list: a bare name of a file in the key file's
// folder, never a path that leads elsewhere.
bool isBareFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

QString folderOf(const QString &path)
{
    QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

} // namespace

std::optional<ExternalKey> ExternalKey::load(const QString &keyFilePath, const QByteArray &textKey,
                                             QString *error)
{
    const std::optional<QStringList> lines = ReadKeyFile(keyFilePath, textKey, error);
    if (!lines)
        return std::nullopt;
    ExternalKey key;
    key.keyText = lines->isEmpty() ? QString() : lines->first();
    key.keyFolder = folderOf(keyFilePath);
    key.namesFiles = lines->size() >= 2;
    for (qsizetype k = 1; k < lines->size(); ++k) {
        const QString &name = lines->at(k);
        if (isBareFileName(name) && QFileInfo(key.keyFolder + name).isFile())
            key.fileNames.append(name);
    }
    return key;
}

QString ExternalKey::defaultKeyWarning(Language language)
{
    return textFor(language, "Kein Schlüssel angegeben! Verwende Standardschlüssel!",
                   "No key specified! Will use default key!");
}
