#pragma once

#include "platform/FileProblem.h"

#include <QString>

// The per-user folder that holds the settings file, with a trailing "/".
// Linux: $XDG_CONFIG_HOME/velmora/ (default ~/.config/velmora/);
// Windows: the roaming application-data folder + "\velmora\";
// macOS: ~/Library/Application Support/velmora/.
namespace DataFolder {

QString path();

// Makes the folder ready for the settings file: creates it and every missing
// folder above it with owner-only permissions (0700, whatever the umask), then
// checks it (check()). The result is None when the folder can be used.
FileProblem prepare(const QString &folder);

// An existing folder is used only when it belongs to the user and no one else
// may write to it: otherwise another user could put a settings file with a
// key of their choosing in it. Kind NotOwned or OpenToOthers, or System
// (ENOENT, ENOTDIR) when there is no folder.
FileProblem check(const QString &folder);

} // namespace DataFolder
