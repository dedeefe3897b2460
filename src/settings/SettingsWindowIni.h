#pragma once

#include "core/Language.h"
#include "settings/SettingsValues.h"

#include <QByteArray>
#include <QString>

class Prompter;

// What the settings window shows and edits, as LoadIni fills it and SaveIni
// reads it.
struct SettingsWindowFields
{
    Language language = Language::German;
    QString passwordField; // MaskEdit1: the accepted password (digest)
    QString keyField;      // Edit1: the personal key
    QString dataPathField; // Edit3
    QString backupField;   // EditBackup, as stored
    bool DataChanged = false;
};

enum class IniLoad {
    Loaded,     // read; a file too short for a step stops there, silently
    NoFile,     // nothing changed
    Unreadable, // exists but could not be read; nothing changed
};

// Reads the settings file into the window, in this order: accepted password
// (line 0, trimmed, also the password field), personal key (line 2, trimmed,
// also the key field), the language (line 3, trimmed: 0 German, any other
// number or a text that does not parse English),
// DataPath (line 4 as stored when it names an existing folder, else the data
// folder), the backup field (line 9 as stored), carried value (line 10,
// trimmed) and the data-path field := DataPath.
IniLoad LoadIni(const QString &IniDatei, const QByteArray &Ccode, SettingsValues &values,
                SettingsWindowFields &fields, QString *error = nullptr);

// Clears DataChanged, then rewrites the file (a missing file starts as 11
// blank lines): line 0 accepted password, 2 key field, 3 the language
// (0 German, 1 English), 4
// data-path field, 8 "false", 9 backup field, 10 carried value. On failure
// shows the error dialog "Fehler beim Speichern der INI-Datei! Zugriff
// verweigert." and returns false. A file that exists but cannot be read is
// not replaced.
bool SaveIni(const QString &IniDatei, const QByteArray &Ccode, const SettingsValues &values,
             SettingsWindowFields &fields, Prompter &prompter);

inline constexpr char SettingsWindowSaveErrorText[] =
    "Fehler beim Speichern der INI-Datei! Zugriff verweigert.";
