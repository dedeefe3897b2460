#include "filecipher/PipelineTexts.h"

#include "filecipher/FileRefusalTexts.h"
#include "filecipher/StrongFormatTexts.h"

namespace PipelineTexts {

QString AccessDenied(Language language)
{
    return textFor(language, "Zugriff verweigert! Sie besitzen nicht die nötigen Rechte!",
                   "Access denied! You do not have the required rights for this operation!");
}

QString PossiblyEncrypted(Language language)
{
    return textFor(language, "Daten möglicherweise bereits verschlüsselt. Trotzdem fortfahren?",
                   "File(s) possibly already encrypted. Continue anyway?");
}

QString SureEncrypted(Language language)
{
    return textFor(language, "Sind Sie sicher, dass diese Daten verschlüsselt sind?",
                   "Are you sure these file(s) are encrypted?");
}

QString EncryptFailed(Language language)
{
    return textFor(language, "Fehler beim Verschlüsseln!", "Error encrypting file!");
}

QString DecryptFailedCancel(Language language)
{
    return textFor(language, "Fehler beim Entschlüsseln! Operation abbrechen?",
                   "Error decrypting file! Cancel operation?");
}

QString FilesEncrypted(Language language)
{
    return textFor(language, " Datei(en) verschlüsselt", " file(s) encrypted");
}

QString FilesDecrypted(Language language)
{
    return textFor(language, " Datei(en) entschlüsselt", " file(s) decrypted");
}

QString FailureHeading(FileFailure failure, Language language)
{
    switch (failure) {
    case FileFailure::AccessDenied:
        return AccessDenied(language);
    case FileFailure::NotFound:
        return textFor(language, "Datei nicht gefunden! Sie wurde verschoben oder gelöscht!",
                       "File not found! It was moved or deleted!");
    case FileFailure::NotEncryptedName:
        return textFor(
            language,
            "Datei abgelehnt! Nur Dateien, deren Name auf \".enc\" endet, werden entschlüsselt!",
            "File refused! Only files whose name ends in \".enc\" are decrypted!");
    case FileFailure::IsLink:
    case FileFailure::IsFolder:
    case FileFailure::NotRegularFile:
    case FileFailure::MultipleNames:
        return textFor(language,
                       "Datei abgelehnt! Nur gewöhnliche Dateien mit einem einzigen Namen werden "
                       "ver- oder entschlüsselt!",
                       "File refused! Only regular files of one name are encrypted or decrypted!");
    case FileFailure::InUse:
        return textFor(language,
                       "Datei in Benutzung! Ein anderer Lauf bearbeitet diese Datei oder ihr "
                       "Ergebnis!",
                       "File in use! Another run is working on this file or on its result!");
    case FileFailure::ResultNameBlocked:
    case FileFailure::ResultNameAppeared:
        return textFor(language,
                       "Name belegt! Der Name des Ergebnisses gehört einer anderen Datei oder "
                       "einem Ordner!",
                       "Name taken! The name of the result belongs to another file or a folder!");
    case FileFailure::NameTooLong:
        return textFor(language,
                       "Name zu lang! Der Name des Ergebnisses ist länger, als das Dateisystem "
                       "erlaubt!",
                       "Name too long! The name of the result is longer than the file system "
                       "allows!");
    case FileFailure::NameNotText:
        return textFor(language,
                       "Name nicht verwendbar! Der Dateiname ist kein gültiges UTF-8 oder kann für "
                       "eine andere Datei stehen!",
                       "Name not usable! The file name is not valid UTF-8 or may stand for "
                       "another file!");
    case FileFailure::ChangedWhileEncrypted:
    case FileFailure::ChangedWhileDecrypted:
    case FileFailure::ResultReplaced:
        return textFor(language,
                       "Datei geändert! Die Datei wurde während des Laufs geändert; das Original "
                       "blieb erhalten!",
                       "File changed! The file was changed during the run; the original was "
                       "kept!");
    case FileFailure::ReadFailed:
        return textFor(language, "Lesefehler! Die Datei konnte nicht gelesen werden!",
                       "Read error! The file could not be read!");
    case FileFailure::WriteFailed:
        return textFor(language,
                       "Schreibfehler! Das Ergebnis konnte nicht geschrieben werden; das Original "
                       "blieb erhalten!",
                       "Write error! The result could not be written; the original was kept!");
    case FileFailure::KeyUnusable:
        return textFor(language,
                       "Schlüssel unbrauchbar! Dieser Schlüssel kann nicht verwendet werden!",
                       "Key unusable! This key cannot be used!");
    case FileFailure::WrongKeyOrDamaged:
        return StrongFormatTexts::WrongKeyOrDamaged(language);
    case FileFailure::None:
    case FileFailure::StrongFormatDamaged:
    case FileFailure::StrongFormatVersion:
    case FileFailure::NotForKeyText:
    case FileFailure::WorkFactorTooHigh:
    case FileFailure::ResultDoesNotFit:
    case FileFailure::Cancelled:
    case FileFailure::CryptoFailed:
        break;
    }
    return FileRefusalTexts::text(failure, language);
}

QString EncryptCaption()
{
    return QStringLiteral("Encrypt");
}

QString DecryptCaption()
{
    return QStringLiteral("Decrypt");
}

QString EncryptLayerError(const QString &inFile)
{
    return QStringLiteral("Error encrypting file: ") + inFile;
}

QString DecryptLayerError(const QString &inFile)
{
    return QStringLiteral("Error decrypting file: ") + inFile;
}

} // namespace PipelineTexts
