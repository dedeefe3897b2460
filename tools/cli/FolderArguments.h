#pragma once

#include "CliCommand.h"

#include <QString>
#include <QStringList>

#include <optional>

// The folder side of encrypt, decrypt and shred: -r/--recursive, and the
// refusal of a folder named without it (as cp and rm do).
namespace FolderArguments {

// What the folder options before "--" asked for.
struct FolderOptions
{
    bool recursive = false;        // -r, --recursive
    bool crossFileSystems = false; // --cross-file-systems (only with -r)
};

// Removes every "-r", "--recursive" and "--cross-file-systems" before "--".
// Nothing, with the reason in *error, for --cross-file-systems without -r.
std::optional<FolderOptions> takeFolderOptions(QStringList &args, QString *error);

// The lines of a command's help for --cross-file-systems, its description
// starting at `column`.
QString crossFileSystemsHelp(int column);

// True when the name is a folder (not a link to one).
bool isFolder(const QString &name);

// The line that refuses a folder named without -r.
QString folderRefusal(const QString &name);

} // namespace FolderArguments
