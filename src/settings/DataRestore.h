#pragma once

#include "core/Language.h"
#include "platform/FileProblem.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Copying a backup back into the data folder, for the settings window and
// the command line alike. A restore never takes the personal key away
// without a way back:
// - a backup whose settings file holds no personal key (line 2 blank), or
//   whose settings file cannot be read (a link, a pipe, damaged), is refused
//   and nothing is copied;
// - a backup folder on a pseudo file system (/proc, /sys), or with more
//   files or bytes than a data folder holds (DataRestore::MaxFiles,
//   DataRestore::MaxBytes), is refused and nothing is copied; a source that
//   gives more bytes while being copied than it claimed is cut off at the
//   same limit;
// - the data folder's files that the restore replaces are first copied into
//   a new folder "before-restore-YYYYMMDD-HHMMSS" inside the data folder;
//   when that fails, nothing is restored;
// - a stop request ends the restore at the next block: the copy in work is
//   removed, the files restored so far stay, and so do the kept previous
//   files; before the first file is restored, the kept folder goes again.
struct RestoreOutcome
{
    enum class Status {
        Restored,
        SourceWithoutKey,         // the backup's settings file holds no personal key
        SourceSettingsUnreadable, // problem says why
        PreviousFilesNotKept,     // problem says why
        SourceOnPseudoFileSystem, // fileSystem names it
        SourceTooLarge,           // more than MaxFiles files or MaxBytes bytes
        Stopped,                  // restored says how many files were restored before
    };

    Status status = Status::Restored;
    int restored = 0; // files copied into the data folder
    QString
        keptFolder; // where the replaced files are, with trailing "/"; empty when none was replaced
    QStringList failures; // one English text for each file that could not be restored
    QString sourceSettings;
    QString sourceFolder;
    QString fileSystem; // the pseudo file system's name ("proc")
    int total = 0;      // files the restore was to copy
    FileProblem problem;

    // Nothing was restored, or (Stopped) not all of it.
    bool refused() const { return status != Status::Restored; }
    // Why nothing was restored, or how far a stopped restore came, German or
    // English; empty when restored.
    QString refusalText(Language language) const;
    // "The previous files are kept in: ..." or empty when none was replaced.
    QString keptText(Language language) const;
};

namespace DataRestore {

inline constexpr char KeptFolderPrefix[] = "before-restore-";

// What a data folder holds: a settings file and a key or two of a few KiB.
// A restore copies no more than this.
inline constexpr int MaxFiles = 64;
inline constexpr qint64 MaxBytes = 1024 * 1024;

// Asked between blocks and files; true stops the restore.
using StopRequest = std::function<bool()>;

// Restores the named files of sourceFolder (as FolderCopy::listFiles gives
// them) into dataFolder; both end with a delimiter.
RestoreOutcome run(const QString &sourceFolder, const QStringList &names, const QString &dataFolder,
                   const StopRequest &stopRequested = {},
                   const QDateTime &now = QDateTime::currentDateTime());

} // namespace DataRestore
