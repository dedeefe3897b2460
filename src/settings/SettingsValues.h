#pragma once

#include <QString>

// Process-wide values of the settings window's part of the program, one
// instance while the program runs. The dashboard writes the accepted password
// (after the start-up prompt) and DataPath (LoadSettings); the settings window
// reads and writes all of them (LoadIni, SaveIni); the password code compares
// against the accepted password.
struct SettingsValues
{
    // Settings line 0 as accepted in this run (the digest); emptied when the
    // settings window closes.
    QString acceptedPassword;
    // The settings window's copy of line 2.
    QString personalKey;
    // Line 4 resolved to an existing folder, else the data folder.
    QString DataPath;
    // Folder of the settings file, with trailing delimiter.
    QString dataFolder;
    // The settings window's copy of line 10.
    QString carriedValue;
};

// The one instance of the program.
SettingsValues &settingsValues();
