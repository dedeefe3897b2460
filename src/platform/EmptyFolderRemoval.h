#pragma once

#include "platform/SystemError.h"

#include <QString>

// Removes a folder that a run has emptied, and only such a folder: it must
// still be the folder found before (device and inode), reached from the
// starting folder one folder at a time without following a link, and the
// system removes it only while it is empty (rmdir). A folder that has
// anything left in it stays.
namespace EmptyFolderRemoval {

enum class Outcome {
    Removed,
    NotEmpty, // something is still in it
    Changed,  // another folder, a link or nothing is at its name now
    Failed,   // the system refused (cause and reason say why)
};

struct Report
{
    Outcome outcome = Outcome::Failed;
    SystemCause cause = SystemCause::None;
    QString reason;
};

// `relative`: the folder's path below `start` ("a/b"), or "" for `start`
// itself.
Report removeEmpty(const QString &start, const QString &relative, quint64 device, quint64 inode);

} // namespace EmptyFolderRemoval
