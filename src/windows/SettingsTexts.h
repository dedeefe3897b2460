#pragma once

#include "core/Language.h"

#include <QString>

// The settings window's texts in one language: captions, hints and the
// messages of its own actions; a few texts are the same in both.
struct SettingsTexts
{
    QString caption;            // window caption
    QString passwordLabel;      // Label1
    QString dataPathLabel;      // Label4
    QString keyLabel;           // Label2
    QString backupLabel;        // Label3
    QString md5Label;           // Label5
    QString save;               // ButtonSave
    QString close;              // ButtonClose
    QString languageBox;        // RadioGroup1
    QString german;             // first item
    QString english;            // second item
    QString formatBox;          // the format for new files
    QString compatibleFormat;   // its first item
    QString strongFormat;       // its second item
    QString newPasswordHint;    // ToolButton6
    QString deletePasswordHint; // ToolButton1
    QString backupHint;         // ToolButton8
    QString restoreHint;        // ToolButtonRestore
    QString restoreKeyHint;     // ButtonRestKey
    QString explorerHint;       // SpeedButton1
    QString backupFolderHint;   // SpeedButton5
    QString exportKeyHint;      // SpeedButton3
    QString newKeyHint;         // ButtonKey
    QString newKeyName;         // what a screen reader calls it
    QString maskHint;           // ButtonPchar
    QString lastBackupHint;     // EditBackup
    QString newKeyQuestion;     // asked before a new key is made
    QString saveNowQuestion;    // "save settings now?"

    static SettingsTexts forLanguage(Language language);
};
