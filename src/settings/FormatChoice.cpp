#include "settings/FormatChoice.h"

#include "filetexts/FileProblemText.h"
#include "platform/AtomicFile.h"
#include "platform/FileBytes.h"
#include "platform/SafeOpen.h"

#include <QList>

namespace {

const QByteArray FormatKey = "format=";
const QByteArray OverwriteKey = "overwrite-originals=";
const QByteArray On = "yes";

QString filePath(const QString &dataFolder)
{
    QString folder = dataFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + FormatChoice::fileName();
}

// Everything the file keeps.
struct Choices
{
    FileFormat format = FileFormat::Compatible;
    bool overwriteOriginals = false;
};

Choices readChoices(const QString &dataFolder)
{
    Choices choices;
    // Only a regular file is read; anything else (a link or a pipe planted
    // there, a folder) counts as no choice.
    const std::optional<QByteArray> text =
        SafeOpen::readStart(filePath(dataFolder), FileBytes::MaxStoredTextFile, nullptr);
    if (!text)
        return choices;
    for (const QByteArray &line : text->split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith(FormatKey)) {
            FileFormat named;
            if (FormatChoice::fromName(QString::fromLatin1(trimmed.mid(FormatKey.size())), &named))
                choices.format = named;
        } else if (trimmed.startsWith(OverwriteKey)) {
            choices.overwriteOriginals = trimmed.mid(OverwriteKey.size()).trimmed() == On;
        }
    }
    return choices;
}

bool writeChoices(const QString &dataFolder, const Choices &choices, QString *error)
{
    QByteArray text =
        "[files]\n" + FormatKey + FormatChoice::name(choices.format).toLatin1() + '\n';
    if (choices.overwriteOriginals)
        text += OverwriteKey + On + '\n';
    FileProblem problem;
    if (AtomicFile::write(filePath(dataFolder), text, &problem))
        return true;
    if (error)
        *error = FileProblemText::text(problem, Language::English);
    return false;
}

} // namespace

namespace FormatChoice {

QString fileName()
{
    return QStringLiteral("format.ini");
}

QString name(FileFormat format)
{
    return format == FileFormat::Age ? QStringLiteral("age") : QStringLiteral("compatible");
}

bool fromName(const QString &text, FileFormat *format)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("age")) {
        *format = FileFormat::Age;
        return true;
    }
    if (word == QLatin1String("compatible") || word == QLatin1String("legacy")) {
        *format = FileFormat::Compatible;
        return true;
    }
    return false;
}

FileFormat load(const QString &dataFolder)
{
    return readChoices(dataFolder).format;
}

bool save(const QString &dataFolder, FileFormat format, QString *error)
{
    Choices choices = readChoices(dataFolder);
    choices.format = format;
    return writeChoices(dataFolder, choices, error);
}

bool loadOverwriteOriginals(const QString &dataFolder)
{
    return readChoices(dataFolder).overwriteOriginals;
}

bool saveOverwriteOriginals(const QString &dataFolder, bool overwrite, QString *error)
{
    Choices choices = readChoices(dataFolder);
    choices.overwriteOriginals = overwrite;
    return writeChoices(dataFolder, choices, error);
}

} // namespace FormatChoice
