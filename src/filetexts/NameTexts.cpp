#include "filetexts/NameTexts.h"

#include <QDir>

namespace {

const QByteArray ByteOrderMark("\xEF\xBB\xBF");

// The length of the UTF-8 character at the start of bytes, 0 when there is
// none there (a stray byte, a cut or overlong sequence, a surrogate).
qsizetype characterLength(QByteArrayView bytes)
{
    for (qsizetype length = 1; length <= 4 && length <= bytes.size(); ++length) {
        const QByteArrayView candidate = bytes.first(length);
        const QString text = QString::fromUtf8(candidate);
        if (!text.isEmpty() && text.toUtf8() == candidate)
            return length;
    }
    return 0;
}

} // namespace

namespace NameTexts {

QString shown(const QByteArray &nameBytes)
{
    QString text;
    const QByteArrayView bytes(nameBytes);
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = characterLength(bytes.sliced(at));
        if (length > 0 && bytes.sliced(at, length) != ByteOrderMark) {
            text += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
            continue;
        }
        const qsizetype escaped = length > 0 ? length : 1;
        for (qsizetype k = 0; k < escaped; ++k) {
            const auto byte = static_cast<unsigned char>(bytes.at(at + k));
            text += QStringLiteral("\\x") +
                    QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        }
        at += escaped;
    }
    return text;
}

QString notUtf8(const QByteArray &nameBytes, Language language)
{
    return shown(nameBytes) +
           textFor(language,
                   ": Der Name ist kein gültiges UTF-8 und kann nicht unverändert verwendet "
                   "werden; es wurde nichts getan. Bitte benennen Sie die Datei zuerst um.",
                   ": the name is not valid UTF-8 and cannot be used unchanged; nothing was "
                   "done. Please rename the file first.");
}

QString mayStandForOther(const QString &path, Language language)
{
    return QDir::toNativeSeparators(path) +
           textFor(language,
                   ": Der Name kann für eine andere Datei stehen, deren Name kein gültiges UTF-8 "
                   "ist; es wurde nichts getan. Bitte benennen Sie diese Datei zuerst um.",
                   ": the name may stand for another file, whose name is not valid UTF-8; "
                   "nothing was done. Please rename that file first.");
}

QString currentFolderNotUtf8(const QByteArray &folderBytes, Language language)
{
    return shown(folderBytes) +
           textFor(language,
                   ": Der Name des aktuellen Ordners ist kein gültiges UTF-8, und Namen relativ "
                   "zu ihm könnten andere Dateien treffen; es wurde nichts getan. Bitte wechseln "
                   "Sie in einen anderen Ordner.",
                   ": the name of the current folder is not valid UTF-8, and names relative to "
                   "it could reach other files; nothing was done. Please change to another "
                   "folder.");
}

QString filesNotDeleted(int count, Language language)
{
    return QString::number(count) +
           textFor(language,
                   " Datei(en) nicht gelöscht: Ihre Namen sind kein gültiges UTF-8 oder können "
                   "für andere Dateien stehen. Bitte benennen Sie sie zuerst um.",
                   " file(s) not deleted: their names are not valid UTF-8 or may stand for other "
                   "files. Please rename them first.");
}

} // namespace NameTexts
