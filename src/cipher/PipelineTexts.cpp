#include "cipher/PipelineTexts.h"

namespace {

QString pick(int language, const char *german, const char *english)
{
    return language == 0 ? QString::fromUtf8(german) : QString::fromUtf8(english);
}

} // namespace

namespace PipelineTexts {

QString AccessDenied(int language)
{
    return pick(language, "Zugriff verweigert! Sie besitzen nicht die nötigen Rechte!",
                "Access denied! You do not have the required rights for this operation!");
}

QString PossiblyEncrypted(int language)
{
    return pick(language, "Daten möglicherweise bereits verschlüsselt. Trotzdem fortfahren?",
                "File(s) possibly already encrypted. Continue anyway?");
}

QString SureEncrypted(int language)
{
    return pick(language, "Sind Sie sicher, dass diese Daten verschlüsselt sind?",
                "Are you sure these file(s) are encrypted?");
}

QString EncryptFailed(int language)
{
    return pick(language, "Fehler beim Verschlüsseln!", "Error encrypting file!");
}

QString DecryptFailedCancel(int language)
{
    return pick(language, "Fehler beim Entschlüsseln! Operation abbrechen?",
                "Error decrypting file! Cancel operation?");
}

QString FilesEncrypted(int language)
{
    return pick(language, " Datei(en) verschlüsselt", " file(s) encrypted");
}

QString FilesDecrypted(int language)
{
    return pick(language, " Datei(en) entschlüsselt", " file(s) decrypted");
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
