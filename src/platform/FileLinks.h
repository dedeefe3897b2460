#pragma once

#include "platform/FileIdentity.h"

#include <QString>

// Names of files: a second name for a file (a hard link), a copy under a
// new name, and removal of a name only while it still names a known file.
// New names are always taken exclusively: an existing file or link of that
// name is never replaced, and a link at the source is never followed.
namespace FileLinks {

enum class Result {
    Done,
    NameTaken, // something already has the new name
    NotHere,   // the file system has no hard links (or not across folders)
    Failed
};

Result addName(const QString &existing, const QString &newName);
// Copies the regular file at `from` into a file created as `to`, flushed
// to the disk; on failure nothing is left at `to`.
Result copyToNewName(const QString &from, const QString &to);
// Removes the name when it still names the file `identity` describes.
bool removeIfSame(const QString &path, const FileIdentity &identity);

} // namespace FileLinks
