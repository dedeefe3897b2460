#pragma once

#include "core/Language.h"

#include <QString>

class Prompter;

// What the backup actions need from the settings window.
class BackupWindow
{
public:
    virtual ~BackupWindow() = default;

    // The backup field (EditBackup), untrimmed.
    virtual QString backupField() const = 0;
    virtual void setBackupField(const QString &text) = 0;
    // Sets the window's data-changed mark, as editing a field does.
    virtual void markDataChanged() = 0;
    // Opens the folder chooser with current preselected; empty when cancelled.
    virtual QString chooseFolder(const QString &current) = 0;
    // The folder of the settings file, with trailing delimiter.
    virtual QString dataFolder() const = 0;
    virtual Language language() const = 0;
    virtual Prompter &prompter() = 0;
};
