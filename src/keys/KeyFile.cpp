#include "keys/KeyFile.h"

#include "cipher/VigenereCodec.h"
#include "platform/AnsiCodePage.h"
#include "settings/AtomicFile.h"
#include "settings/FileBytes.h"
#include "settings/TextLines.h"

std::optional<QStringList> ReadKeyFile(const QString &path, const QByteArray &textKey, QString *error)
{
    const std::optional<QByteArray> bytes = FileBytes::read(path, FileBytes::MaxStoredTextFile, error);
    if (!bytes)
        return std::nullopt;
    const QByteArray plain = VigenereCodec().DecodeString(textKey, *bytes);
    return TextLines::split(AnsiCodePage::toUnicode(plain));
}

bool WriteKeyFile(const QString &path, const QByteArray &textKey, const QStringList &lines, QString *error)
{
    const QByteArray plain = AnsiCodePage::fromUnicode(lines.join(QLatin1String("\r\n")));
    return AtomicFile::write(path, VigenereCodec().EncodeString(textKey, plain), error);
}
