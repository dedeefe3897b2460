#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace ProgramInfo {

namespace {

std::optional<QString> &languageOverride()
{
    static std::optional<QString> name;
    return name;
}

std::optional<QString> &folderOverride()
{
    static std::optional<QString> folder;
    return folder;
}

QString withTrailingDelimiter(QString folder)
{
    folder = QDir::toNativeSeparators(folder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

} // namespace

QString programFolder()
{
    if (folderOverride())
        return withTrailingDelimiter(*folderOverride());
    return withTrailingDelimiter(QCoreApplication::applicationDirPath());
}

QString programFileName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QString versionOrUndefined(const QString &text)
{
    static const QRegularExpression fourNumbers(
        QStringLiteral("^[0-9]{1,5}\\.[0-9]{1,5}\\.[0-9]{1,5}\\.[0-9]{1,5}$"));
    return fourNumbers.match(text).hasMatch() ? text : QStringLiteral("undefined");
}

QString version()
{
#ifdef VELMORA_VERSION_TEXT
    return versionOrUndefined(QStringLiteral(VELMORA_VERSION_TEXT));
#else
    return QStringLiteral("undefined");
#endif
}

QString temporaryFolder()
{
    return QDir::toNativeSeparators(QDir::tempPath());
}

QString systemLanguageName()
{
    if (languageOverride())
        return *languageOverride();
    return QLocale::system().nativeLanguageName();
}

QString replaceExtension(const QString &fileName, const QString &extension)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return (dot >= 0 ? fileName.left(dot) : fileName) + extension;
}

void setSystemLanguageNameForTesting(const std::optional<QString> &name)
{
    languageOverride() = name;
}

void setProgramFolderForTesting(const std::optional<QString> &folder)
{
    folderOverride() = folder;
}

} // namespace ProgramInfo
