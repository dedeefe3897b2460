#include "keys/KeyFile.h"

#include "cipher/VigenereCodec.h"
#include "core/TextLines.h"
#include "filetexts/FileProblemText.h"
#include "platform/AnsiCodePage.h"
#include "platform/AtomicFile.h"
#include "platform/FileBytes.h"
#include "platform/SecretWipe.h"

namespace {

// "U+0141" and, when it can be shown, the character in the language's quotes.
QString describe(char32_t character, Language language)
{
    QString text = QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper();
    if (QChar::isPrint(character)) {
        const QString shown = QString::fromUcs4(&character, 1);
        text = (language == Language::German ? QStringLiteral("\u201E%1\u201C (%2)")
                                             : QStringLiteral("\u201C%1\u201D (%2)"))
                   .arg(shown, text);
    }
    return text;
}

} // namespace

std::optional<QStringList> ReadKeyFile(const QString &path, const QByteArray &textKey,
                                       QString *error)
{
    FileProblem problem;
    std::optional<QByteArray> bytes = FileBytes::read(path, FileBytes::MaxStoredTextFile, &problem);
    if (!bytes) {
        if (error)
            *error = FileProblemText::text(problem, Language::English);
        return std::nullopt;
    }
    // The key line passes through each of these; only the lines stay.
    QByteArray plain = VigenereCodec().DecodeString(textKey, *bytes);
    SecretWipe::wipe(*bytes);
    QString text = AnsiCodePage::toUnicode(plain);
    SecretWipe::wipe(plain);
    QStringList lines = TextLines::split(text);
    SecretWipe::wipe(text); // shared with the one line when there is no line break
    return lines;
}

QString KeyFileWriteResult::message(Language language) const
{
    const bool german = language == Language::German;
    switch (status) {
    case Status::Written:
        return QString();
    case Status::CharacterOutsideCodePage:
        return german
                   ? QStringLiteral(
                         "Das Zeichen %1 kann in einer Schlüsseldatei nicht gespeichert werden "
                         "(Zeichensatz Windows-1252). Die Schlüsseldatei wurde nicht geschrieben.")
                         .arg(describe(character, language))
                   : QStringLiteral("The character %1 cannot be stored in a key file (code page "
                                    "Windows-1252). The key file was not written.")
                         .arg(describe(character, language));
    case Status::FileNotWritten:
        return (german ? QStringLiteral("Die Schlüsseldatei wurde nicht geschrieben: ")
                       : QStringLiteral("The key file was not written: ")) +
               FileProblemText::text(file, language);
    }
    return QString();
}

KeyFileWriteResult WriteKeyFile(const QString &path, const QByteArray &textKey,
                                const QStringList &lines)
{
    KeyFileWriteResult result;
    QString text = lines.join(QLatin1String("\r\n"));
    if (const std::optional<char32_t> character = AnsiCodePage::firstUnrepresentable(text)) {
        result.status = KeyFileWriteResult::Status::CharacterOutsideCodePage;
        result.character = *character;
        return result;
    }
    QByteArray plain = AnsiCodePage::fromUnicode(text);
    QByteArray coded = VigenereCodec().EncodeString(textKey, plain);
    if (!AtomicFile::write(path, coded, &result.file))
        result.status = KeyFileWriteResult::Status::FileNotWritten;
    SecretWipe::wipe(coded);
    SecretWipe::wipe(plain);
    SecretWipe::wipe(text);
    return result;
}
