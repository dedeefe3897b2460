#pragma once

#include <QString>

// The values that the start-up and the settings window share for one run of
// the program. The start-up owns the one instance (StartupSequence) and hands
// it to the settings window with each opening: the start-up writes the
// accepted password after the password prompt and the data path when it
// reads the settings file; the settings window reads and writes all of them;
// the password actions compare against the accepted password.
struct SettingsValues
{
    // Settings line 0 as accepted in this run (the digest); emptied when the
    // settings window closes.
    QString acceptedPassword;
    // The settings window's copy of line 2.
    QString personalKey;
    // Line 4 resolved to an existing folder, else the data folder.
    QString dataPath;
    // Folder of the settings file, with trailing delimiter.
    QString dataFolder;
    // The settings window's copy of line 10.
    QString carriedValue;
};
