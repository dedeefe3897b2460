#include "filecipher/FileRefusalTexts.h"

#include <array>
#include <utility>

namespace {

struct TextPair
{
    FileFailure failure;
    const char *english;
    const char *german;
};

constexpr std::array Texts{
    TextPair{FileFailure::None, "", ""},
    TextPair{FileFailure::NotFound, "does not exist", "existiert nicht"},
    TextPair{FileFailure::NotEncryptedName, "The file name does not end in \".enc\".",
             "Der Dateiname endet nicht auf \".enc\"."},
    TextPair{FileFailure::IsLink, "is a link; only regular files are encrypted or decrypted",
             "ist eine Verknüpfung; nur gewöhnliche Dateien werden ver- oder entschlüsselt"},
    TextPair{FileFailure::IsFolder, "is a folder", "ist ein Ordner"},
    TextPair{FileFailure::NotRegularFile, "is not a regular file (a pipe, socket or device)",
             "ist keine gewöhnliche Datei (eine Pipe, ein Socket oder ein Gerät)"},
    TextPair{FileFailure::MultipleNames,
             "has further names (hard links) under which its content would stay readable",
             "hat weitere Namen (harte Links), unter denen ihr Inhalt lesbar bliebe"},
    TextPair{FileFailure::InUse, "is in use by another run",
             "wird gerade von einem anderen Lauf verwendet"},
    TextPair{FileFailure::ResultNameBlocked,
             "the name of the result is taken by a folder or a special file",
             "der Name des Ergebnisses ist durch einen Ordner oder eine besondere Datei belegt"},
    TextPair{FileFailure::ResultNameAppeared,
             "a file of the result's name appeared during the run; it was kept",
             "während des Laufs entstand eine Datei mit dem Namen des Ergebnisses; sie blieb "
             "erhalten"},
    TextPair{FileFailure::NameTooLong,
             "name too long: the result's name is longer than the file system allows; the "
             "original was kept",
             "Name zu lang: Der Name des Ergebnisses ist länger, als das Dateisystem erlaubt; das "
             "Original blieb erhalten"},
    TextPair{FileFailure::NameNotText,
             "the name is not valid UTF-8 or may stand for another file whose name is not; "
             "nothing was done",
             "der Name ist kein gültiges UTF-8 oder kann für eine andere Datei stehen, deren Name "
             "es nicht ist; es wurde nichts getan"},
    TextPair{FileFailure::ResultReplaced,
             "the result's part file was replaced or removed during the run; the original was "
             "kept",
             "die Teildatei des Ergebnisses wurde während des Laufs ersetzt oder entfernt; das "
             "Original blieb erhalten"},
    TextPair{FileFailure::ChangedWhileEncrypted,
             "changed while it was being encrypted; the original was kept",
             "wurde während der Verschlüsselung geändert; das Original blieb erhalten"},
    TextPair{FileFailure::ChangedWhileDecrypted,
             "changed while it was being decrypted; the original was kept",
             "wurde während der Entschlüsselung geändert; das Original blieb erhalten"},
    TextPair{FileFailure::AccessDenied, "access denied", "Zugriff verweigert"},
    TextPair{FileFailure::ReadFailed, "could not be read", "konnte nicht gelesen werden"},
    TextPair{FileFailure::WriteFailed, "the result could not be written; the original was kept",
             "das Ergebnis konnte nicht geschrieben werden; das Original blieb erhalten"},
    TextPair{FileFailure::KeyUnusable, "the key cannot be used",
             "der Schlüssel ist nicht verwendbar"},
    TextPair{FileFailure::WrongKeyOrDamaged, "wrong key or damaged file",
             "falscher Schlüssel oder beschädigte Datei"},
    TextPair{FileFailure::StrongFormatDamaged, "damaged or incomplete file in the strong format",
             "beschädigte oder unvollständige Datei im starken Format"},
    TextPair{FileFailure::StrongFormatVersion,
             "made with a version of the strong format that cannot be opened here",
             "mit einer Version des starken Formats erstellt, die hier nicht geöffnet werden "
             "kann"},
    TextPair{FileFailure::NotForKeyText,
             "encrypted for a public key, not with a key text; it cannot be opened here",
             "für einen öffentlichen Schlüssel verschlüsselt, nicht mit einem Schlüsseltext; sie "
             "kann hier nicht geöffnet werden"},
    TextPair{FileFailure::WorkFactorTooHigh, "made with a work factor too high to open here",
             "mit einem Arbeitsfaktor erstellt, der zu hoch ist, um sie hier zu öffnen"},
    TextPair{FileFailure::ResultDoesNotFit,
             "the key does not seem to fit; the encrypted file was kept",
             "der Schlüssel scheint nicht zu passen; die verschlüsselte Datei blieb erhalten"},
    TextPair{FileFailure::Cancelled, "cancelled; the original was kept",
             "abgebrochen; das Original blieb erhalten"},
    TextPair{FileFailure::CryptoFailed, "the encryption library failed; the original was kept",
             "die Verschlüsselungsbibliothek versagte; das Original blieb erhalten"},
};

} // namespace

namespace FileRefusalTexts {

QString text(FileFailure failure, Language language)
{
    for (const TextPair &pair : Texts) {
        if (pair.failure == failure)
            return QString::fromUtf8(language == Language::German ? pair.german : pair.english);
    }
    return QString();
}

QString reason(FileFailure failure, Language language, const QString &detail)
{
    const QString words = text(failure, language);
    return detail.isEmpty() ? words : words + QStringLiteral(" (") + detail + QLatin1Char(')');
}

} // namespace FileRefusalTexts
