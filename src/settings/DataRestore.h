#pragma once

#include "core/Language.h"
#include "platform/FileProblem.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Copying a backup back into the data folder, for the settings window and
// the command line alike. A restore never takes the personal key away
// without a way back:
// - a backup whose settings file holds no personal key (line 2 blank), or
//   whose settings file cannot be read (a link, a pipe, damaged), is refused
//   and nothing is copied;
// - the data folder's files that the restore replaces are first copied into
//   a new folder "before-restore-YYYYMMDD-HHMMSS" inside the data folder;
//   when that fails, nothing is restored.
struct RestoreOutcome
{
    enum class Status {
        Restored,
        SourceWithoutKey,         // the backup's settings file holds no personal key
        SourceSettingsUnreadable, // problem says why
        PreviousFilesNotKept,     // problem says why
    };

    Status status = Status::Restored;
    int restored = 0; // files copied into the data folder
    QString
        keptFolder; // where the replaced files are, with trailing "/"; empty when none was replaced
    QStringList failures; // one English text for each file that could not be restored
    QString sourceSettings;
    FileProblem problem;

    bool refused() const { return status != Status::Restored; }
    // Why nothing was restored, German or English; empty when restored.
    QString refusalText(Language language) const;
    // "The previous files are kept in: ..." or empty when none was replaced.
    QString keptText(Language language) const;
};

namespace DataRestore {

inline constexpr char KeptFolderPrefix[] = "before-restore-";

// Restores the named files of sourceFolder (as FolderCopy::listFiles gives
// them) into dataFolder; both end with a delimiter.
RestoreOutcome run(const QString &sourceFolder, const QStringList &names, const QString &dataFolder,
                   const QDateTime &now = QDateTime::currentDateTime());

} // namespace DataRestore
