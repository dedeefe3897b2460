#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The standard age tool, for tests that check files against it. It takes
// passphrases only from a terminal, so a helper script runs it on a
// pseudo-terminal and answers its prompts.
namespace AgeTool {

QString path(); // "/usr/bin/age"

// True when the tool and python3 (for the helper) are installed.
bool isAvailable();

// Runs the tool with the passphrase and the arguments, with home as HOME;
// false with the tool's output on failure.
bool run(const QByteArray &passphrase, const QStringList &arguments, const QString &home,
         QString &output);

} // namespace AgeTool
