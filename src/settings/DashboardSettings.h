#pragma once

#include "core/Language.h"
#include "settings/SettingsValues.h"
#include "settings/StoredSettings.h"

#include <QByteArray>
#include <QString>

class Prompter;

// The dashboard's own values from the settings file.
struct DashboardSettings
{
    Language language = Language::English;
    QString storedPassword; // line 0, trimmed; empty = no password set
    QString personalKey;    // line 2, trimmed
    QString carriedValue;   // line 10, trimmed
    // The settings file was read but ends before its key line (load).
    bool keyLineMissing = false;

    // Takes the stored values as the dashboard reads them: language :=
    // systemLanguage; then, in this order and stopping at the first line the
    // file does not reach (the values after it keep what they held): stored
    // password (line 0), personal key (line 2), shared.dataPath (line 4 as
    // stored when it names an existing folder, else shared.dataFolder),
    // carried value (line 10), and the language from line 3 when that is not
    // blank (0 German, any other number or a text that does not parse
    // English).
    void readFrom(const StoredSettings &stored, Language systemLanguage, SettingsValues &shared);

    // Reads the settings file (SettingsReader) and takes its values as
    // readFrom does; a file that cannot be read sets only the language.
    // *error says why it could not be read. Sets keyLineMissing.
    SettingsReading::Status load(const QString &settingsPath, const QByteArray &textKey,
                                 Language systemLanguage, SettingsValues &shared,
                                 QString *error = nullptr);
};

// Rewrites the file with line 2 := personal key, line 3 := the language
// (0 German, 1 English),
// line 10 := carried value; every other line keeps its text (a missing file
// starts as 12 blank lines). On failure shows the error dialog
// "Access denied! Could not save INI file!" and returns false. A file that
// exists but cannot be read is not replaced.
bool saveDashboardSettings(const QString &settingsPath, const QByteArray &textKey,
                           const DashboardSettings &values, Prompter &prompter);

inline constexpr char DashboardSaveErrorText[] = "Access denied! Could not save INI file!";
