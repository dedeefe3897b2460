#pragma once

#include "platform/SystemError.h"

#include <QString>

// The kind of file system a path lies on, as far as copying files from it
// goes: one that keeps files, or a pseudo file system whose entries the
// kernel makes up while they are read (/proc, /sys and the like), where a
// "file" may report no size and never end.
struct FileSystemType
{
    enum class Kind {
        Ordinary,
        Pseudo,
        Unknown, // the system could not tell (cause and reason say why), or
                 // this platform has no way to ask
    };

    Kind kind = Kind::Unknown;
    QString name; // the file system's own name ("proc", "sysfs"), for Pseudo
    SystemCause cause = SystemCause::None;
    QString reason; // the system's own words, when it could not tell

    // The file system of path (followed when it is a link, as statfs does).
    static FileSystemType of(const QString &path);

    bool isPseudo() const { return kind == Kind::Pseudo; }
};
