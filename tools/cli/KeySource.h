#pragma once

#include "CliCommand.h"
#include "platform/FileBytes.h"

#include <optional>

// Where "encrypt" and "decrypt" (and "keyfile write") take their key text
// from. Removes the key options it understands from args. On failure it has
// printed why and returns nothing; the command then exits with ExitUsage.
//   --key-stdin          one line of UTF-8 from standard input, without its
//                        line end; an empty line is refused
//   --key-file KEYFILE   line 1 of a key file; an empty line 1 is the default
//                        (empty) key, with a warning
//   neither              the personal key from the settings file in the data folder
// The caller wipes the key text once it is done with it (SecretWipe).
std::optional<QString> takeKeyText(QStringList &args, CliIo &io);

// The longest key line taken from standard input, as long as the largest key
// file.
inline constexpr qsizetype MaxKeyLineBytes = FileBytes::MaxStoredTextFile;

// The personal key (settings line 2, trimmed) of the settings file at iniPath;
// prints why and returns nothing when there is none.
std::optional<QString> personalKeyFromSettings(const QString &iniPath, CliIo &io);

// The settings file of the data folder.
QString defaultSettingsPath();
