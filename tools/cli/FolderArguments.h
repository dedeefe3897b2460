#pragma once

#include "CliCommand.h"

#include <QString>
#include <QStringList>

// The folder side of encrypt, decrypt and shred: -r/--recursive, and the
// refusal of a folder named without it (as cp and rm do).
namespace FolderArguments {

// Removes every "-r" and "--recursive" before "--"; true when there was one.
bool takeRecursive(QStringList &args);

// True when the name is a folder (not a link to one).
bool isFolder(const QString &name);

// The line that refuses a folder named without -r.
QString folderRefusal(const QString &name);

} // namespace FolderArguments
