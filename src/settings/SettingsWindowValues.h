#pragma once

#include "core/Language.h"
#include "settings/SettingsValues.h"
#include "settings/StoredSettings.h"

#include <QByteArray>
#include <QString>

class Prompter;

// What the settings window shows and edits, as takeStored fills it and
// saveWindowSettings reads it.
struct SettingsWindowFields
{
    Language language = Language::German;
    QString passwordField; // MaskEdit1: the accepted password (digest)
    QString keyField;      // Edit1: the personal key
    QString dataPathField; // Edit3
    QString backupField;   // EditBackup, as stored
    bool dataChanged = false;

    // Takes the stored values into the window, in this order and stopping at
    // the first line the file does not reach: accepted password (line 0,
    // trimmed, also the password field), personal key (line 2, trimmed, also
    // the key field), the language (line 3, trimmed: 0 German, any other
    // number or a text that does not parse English), values.dataPath (line 4
    // as stored when it names an existing folder, else the data folder), the
    // backup field (line 9 as stored), carried value (line 10, trimmed) and
    // the data-path field := values.dataPath.
    void takeStored(const StoredSettings &stored, SettingsValues &values);

    // Reads the settings file (SettingsReader) and takes its values as
    // takeStored does; nothing changes when there is no file or it cannot be
    // read (*error then says why).
    SettingsReading::Status load(const QString &settingsPath, const QByteArray &textKey,
                                 SettingsValues &values, QString *error = nullptr);
};

// Clears dataChanged, then rewrites the file (a missing file starts as 11
// blank lines): line 0 accepted password, 2 key field, 3 the language
// (0 German, 1 English), 4
// data-path field, 8 "false", 9 backup field, 10 carried value. On failure
// shows the error dialog "Fehler beim Speichern der INI-Datei! Zugriff
// verweigert." and returns false. A file that exists but cannot be read is
// not replaced.
bool saveWindowSettings(const QString &settingsPath, const QByteArray &textKey,
                        const SettingsValues &values, SettingsWindowFields &fields,
                        Prompter &prompter);

inline constexpr char SettingsWindowSaveErrorText[] =
    "Fehler beim Speichern der INI-Datei! Zugriff verweigert.";
