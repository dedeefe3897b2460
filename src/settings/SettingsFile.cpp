#include "settings/SettingsFile.h"

#include "cipher/VigenereCodec.h"
#include "core/TextLines.h"
#include "core/TextTrim.h"
#include "filetexts/FileProblemText.h"
#include "platform/AnsiCodePage.h"
#include "platform/AtomicFile.h"
#include "platform/DataFolder.h"
#include "platform/FileBytes.h"
#include "platform/SecretWipe.h"

#include <QFileInfo>

namespace {

const QString blankLine = QStringLiteral(" ");

// The folder of a settings file must be the user's own and closed to others.
bool folderIsSafe(const QString &path, QString *error)
{
    const FileProblem problem = DataFolder::check(QFileInfo(path).absolutePath());
    if (problem.isNone())
        return true;
    if (error)
        *error = FileProblemText::dataFolderRefusal(problem, Language::English);
    return false;
}

} // namespace

namespace SettingsFile {

QStringList decodeBytes(const QByteArray &bytes, const QByteArray &textKey)
{
    // The final uncoded CR LF is decoded along with the rest (see the header).
    // The personal key passes through each of these; only the lines stay.
    QByteArray plain = VigenereCodec().DecodeString(textKey, bytes);
    QString text = AnsiCodePage::toUnicode(plain);
    SecretWipe::wipe(plain);
    QStringList lines = TextLines::split(text);
    SecretWipe::wipe(text);
    return lines;
}

std::optional<QStringList> readLines(const QString &path, const QByteArray &textKey, QString *error,
                                     bool *endsWithLineBreak)
{
    FileProblem problem;
    std::optional<QByteArray> bytes = FileBytes::read(path, FileBytes::MaxStoredTextFile, &problem);
    if (!bytes) {
        if (error)
            *error = FileProblemText::text(problem, Language::English);
        return std::nullopt;
    }
    std::optional<QStringList> lines;
    if (folderIsSafe(path, error))
        lines = decodeBytes(*bytes, textKey);
    if (endsWithLineBreak)
        *endsWithLineBreak = bytes->endsWith("\r\n");
    SecretWipe::wipe(*bytes);
    return lines;
}

bool writeLines(const QString &path, const QByteArray &textKey, const QStringList &lines,
                QString *error)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    if (!folderIsSafe(path, error))
        return false;
    QByteArray bytes = VigenereCodec().EncodeString(textKey, AnsiCodePage::fromUnicode(text));
    bytes.append("\r\n", 2);
    FileProblem problem;
    if (AtomicFile::write(path, bytes, &problem))
        return true;
    if (error)
        *error = FileProblemText::text(problem, Language::English);
    return false;
}

} // namespace SettingsFile

namespace SettingsLines {

std::optional<QStringList> forRewrite(const QString &path, const QByteArray &key, int blankLines,
                                      QString *error)
{
    QStringList lines;
    if (QFileInfo::exists(path)) {
        std::optional<QStringList> read = SettingsFile::readLines(path, key, error);
        if (!read)
            return std::nullopt;
        lines = *read;
    } else {
        for (int i = 0; i < blankLines; ++i)
            lines.append(blankLine);
    }
    if (lines.size() <= 10) {
        while (lines.size() < 13)
            lines.append(blankLine);
    }
    return lines;
}

void set(QStringList &lines, int index, const QString &value)
{
    while (lines.size() <= index)
        lines.append(blankLine);
    lines[index] = TextTrim::trimmedRight(value);
}

std::optional<qint32> parseInteger(const QString &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > qint64(2147483648))
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647 || value < -qint64(2147483648))
        return std::nullopt;
    return static_cast<qint32>(value);
}

bool namesExistingFolder(const QString &text)
{
    const QString path = TextTrim::trimmed(text);
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace SettingsLines
