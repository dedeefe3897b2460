#pragma once

#include <QString>
#include <QStringList>

// The part files (ExclusiveNewFile) that earlier runs left in a folder when
// they could not end themselves: killed outright, a power loss, a crash. Such
// a file may hold a result's bytes, after a decrypt the plain text.
//
// Only a file that is surely such a leftover is taken: a name of the part
// file's form, a regular file of one name that belongs to this user, and not
// locked by a living run (every run holds an exclusive flock on its part
// file). Its bytes are overwritten once with zeros and forced to the disk,
// and it is removed while its name still holds it. Links, folders, pipes,
// files with further names and files of other users stay as they are.
namespace PartFileLeftovers {

// The names (without folder) of the leftovers removed from folder.
QStringList removeFrom(const QString &folder);

} // namespace PartFileLeftovers
