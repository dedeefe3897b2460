#pragma once

#include <QString>

// The per-user folder that holds the settings file, with a trailing "/".
// Linux: $XDG_CONFIG_HOME/velmora/ (default ~/.config/velmora/);
// Windows: the roaming application-data folder + "\velmora\";
// macOS: ~/Library/Application Support/velmora/.
namespace DataFolder {

QString path();

// Creates the folder (one level, as the parent is expected to exist) with
// owner-only permissions where the platform has them. Returns false when it
// neither exists nor could be created.
bool ensureExists(const QString &folder);

} // namespace DataFolder
