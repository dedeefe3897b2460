#pragma once

#include "core/Language.h"
#include "settings/SettingsValues.h"

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
};

enum class SettingsLoad {
    Loaded,     // the file was read (a short file sets what its lines hold)
    NoFile,     // no settings file: only the language was set
    Unreadable, // the file exists but could not be read; see the error text
};

// language := German when systemLanguageName contains "Deutsch", else
// English; then, when the file exists, in this order: stored password
// (line 0), personal key (line 2), shared.DataPath (line 4 as stored when it
// names an existing folder, else shared.dataFolder), carried value (line 10),
// and the language from line 3 when that is not blank (0 German, any other
// number or a text that does not parse English). A file too short for a step
// stops the reading there without an error.
SettingsLoad LoadSettings(const QString &iniPath, const QByteArray &key,
                          const QString &systemLanguageName, DashboardSettings &values,
                          SettingsValues &shared, QString *error = nullptr);

// Rewrites the file with line 2 := personal key, line 3 := the language
// (0 German, 1 English),
// line 10 := carried value; every other line keeps its text (a missing file
// starts as 12 blank lines). On failure shows the error dialog
// "Access denied! Could not save INI file!" and returns false. A file that
// exists but cannot be read is not replaced.
bool SaveSettings(const QString &iniPath, const QByteArray &key, const DashboardSettings &values,
                  Prompter &prompter);

inline constexpr char DashboardSaveErrorText[] = "Access denied! Could not save INI file!";
