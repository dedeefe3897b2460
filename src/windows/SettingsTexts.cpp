#include "windows/SettingsTexts.h"

#include "filecipher/StrongFormatTexts.h"

namespace {

QString text(bool german, const char *germanText, const char *englishText)
{
    return QString::fromUtf8(german ? germanText : englishText);
}

} // namespace

SettingsTexts SettingsTexts::forLanguage(Language language)
{
    const bool german = language == Language::German;
    SettingsTexts t;
    t.caption = text(german, "Optionen", "Options");
    t.passwordLabel = text(german, "Passwort:", "Password:");
    t.dataPathLabel = text(german, "Datenpfad:", "Data Path:");
    t.keyLabel = text(german, "Pers. Schlüssel:", "Personal Key:");
    t.backupLabel = QStringLiteral("Backup:");
    t.md5Label = QStringLiteral("MD5");
    t.save = text(german, "Speichern", "Save");
    t.close = text(german, "Schliessen", "Close");
    t.languageBox = QStringLiteral("Language");
    t.german = QStringLiteral("German");
    t.english = QStringLiteral("English");
    t.formatBox = StrongFormatTexts::FormatForNewFiles(language);
    t.compatibleFormat = StrongFormatTexts::CompatibleFormat(language);
    t.strongFormat = StrongFormatTexts::StrongFormat(language);
    t.newPasswordHint = text(german, "Neues Passwort anlegen", "Create new password");
    t.deletePasswordHint = text(german, "Passwort löschen", "Delete password");
    t.backupHint = text(german, "Dateien sichern", "Backup files");
    t.restoreHint = text(german, "Daten aus Backup wiederherstellen", "Restore data");
    t.restoreKeyHint = text(german, "Persönlichen Schlüssel aus Datei wiederherstellen",
                            "Restore personal key from file");
    t.explorerHint = text(german, "Verzeichnis im Windows Explorer anzeigen",
                          "Show directory in Windows Explorer");
    t.backupFolderHint = text(german, "Backupverzeichnis auswählen", "Select backup folder");
    t.exportKeyHint =
        text(german, "Persönlichen Schlüssel sichern/exportieren", "Backup personal key");
    // The English hint of the new-key button is the restore button's.
    t.newKeyHint = text(german, "Neuen Schlüssel generieren", "Restore personal key from file");
    // Heard, not seen: the button's own action, not the restore button's.
    t.newKeyName = text(german, "Neuen Schlüssel generieren", "Generate new key");
    t.maskHint = QStringLiteral("Switch password char");
    t.lastBackupHint = QStringLiteral("Letzte Sicherung");
    t.newKeyQuestion =
        text(german,
             "Mit einem neuen Schlüssel können bereits verschlüsselte Daten nicht mehr "
             "entschlüsselt werden. Sichern Sie den vorhandenen Schlüssel. Jetzt fortfahren?",
             "Alredy encrypted files can not be decrypted by a new encryption key. "
             "Backup your existing key. Continue?");
    t.saveNowQuestion = text(german, "Einstellungen jetzt speichern?", "Save settings now?");
    return t;
}
