#include "filecipher/PipelineTexts.h"

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
