// The lines of files that are judged before encrypting them: any bytes, as
// text in the code page and as UTF-16 (unpaired surrogates included).
#include "filecipher/EncryptedGuess.h"
#include "platform/AnsiCodePage.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(const QString &text)
{
    const QString stripped = EncryptedGuess::stripText(text);
    if (stripped.size() > text.size())
        std::abort();
    const QString printable = EncryptedGuess::printableOnly(text);
    if (printable.size() > stripped.size())
        std::abort();
    for (const QChar c : printable) {
        if (c.unicode() < 33 || c.unicode() > 126)
            std::abort();
    }
    (void)EncryptedGuess::isEncryptedText(text);
    (void)EncryptedGuess::firstCharCode(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    check(AnsiCodePage::toUnicode(bytes));
    check(QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2));
    return 0;
}
