#pragma once

#include "CliCommand.h"

#include <optional>

// Where "encrypt" and "decrypt" take their key text from. Removes the key
// options it understands from args. On failure it has printed why and
// returns nothing; the command then exits with ExitUsage.
//   --key-stdin      one line of UTF-8 from standard input, without its line end
std::optional<QString> takeKeyText(QStringList &args, CliIo &io);
