#pragma once

#include "CliCommand.h"

#include <optional>

// Where "encrypt" and "decrypt" (and "keyfile write") take their key text
// from. Removes the key options it understands from args. On failure it has
// printed why and returns nothing; the command then exits with ExitUsage.
//   --key-stdin          one line of UTF-8 from standard input, without its line end
//   --key-file KEYFILE   line 1 of a key file; an empty line 1 is the default
//                        (empty) key, with a warning
//   neither              the personal key from the settings file in the data folder
std::optional<QString> takeKeyText(QStringList &args, CliIo &io);

// The personal key (settings line 2, trimmed) of the settings file at iniPath;
// prints why and returns nothing when there is none.
std::optional<QString> personalKeyFromSettings(const QString &iniPath, CliIo &io);

// The settings file of the data folder.
QString defaultSettingsPath();
