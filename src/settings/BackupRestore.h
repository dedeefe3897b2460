#pragma once

#include "core/Language.h"

#include <QString>

#include <functional>
#include <optional>

class Prompter;

// The settings window's backup of the data folder: plain copies of the files
// that lie directly in it (FolderCopy::listFiles), each replacing an older
// copy of the same name. The actions ask and report through the prompter in
// the window's language and return what the window then shows.

// What an action works with.
struct BackupContext
{
    QString backupField; // the window's backup folder field, untrimmed
    QString dataFolder;  // the folder of the settings file, with trailing delimiter
    Language language = Language::German;
    Prompter *prompter = nullptr;
    // Opens the folder chooser with the given folder preselected; empty when
    // cancelled.
    std::function<QString(const QString &current)> chooseFolder;
};

// How an action ended.
struct BackupOutcome
{
    // Files copied; -1 when the action ended before copying (no folder set,
    // cancelled, folder missing).
    int files = -1;
    // The backup folder the window shows from now on, as an unsaved change;
    // none when the action leaves the field as it is.
    std::optional<QString> backupField;
};

namespace BackupActions {

// Asks for a new backup folder, which becomes the backup field after
// "Resume new path?" is confirmed; choosing the folder already set asks
// nothing.
BackupOutcome chooseFolder(const BackupContext &context);

// Copies the data folder's files into the folder of the backup field and
// reports the count.
BackupOutcome backUp(const BackupContext &context);

// Copies the backup folder's files back into the data folder (DataRestore:
// a backup without a personal key is refused, the replaced files are kept in
// a dated folder inside the data folder) and reports the count and where the
// previous files are.
BackupOutcome restore(const BackupContext &context);

} // namespace BackupActions
