#include "settings/FormatChoice.h"

#include "filetexts/FileProblemText.h"
#include "platform/AtomicFile.h"
#include "platform/FileBytes.h"
#include "platform/SafeOpen.h"

#include <QList>

namespace {

const QByteArray FormatKey = "format=";

QString filePath(const QString &dataFolder)
{
    QString folder = dataFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + FormatChoice::fileName();
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
    // Only a regular file is read; anything else (a link or a pipe planted
    // there, a folder) counts as no choice.
    const std::optional<QByteArray> text =
        SafeOpen::readStart(filePath(dataFolder), FileBytes::MaxStoredTextFile, nullptr);
    FileFormat format = FileFormat::Compatible;
    if (!text)
        return format;
    for (const QByteArray &line : text->split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith(FormatKey)) {
            FileFormat named;
            if (fromName(QString::fromLatin1(trimmed.mid(FormatKey.size())), &named))
                format = named;
        }
    }
    return format;
}

bool save(const QString &dataFolder, FileFormat format, QString *error)
{
    const QByteArray text = "[files]\n" + FormatKey + name(format).toLatin1() + '\n';
    FileProblem problem;
    if (AtomicFile::write(filePath(dataFolder), text, &problem))
        return true;
    if (error)
        *error = FileProblemText::text(problem, Language::English);
    return false;
}

} // namespace FormatChoice
