#pragma once

#include "settings/Language.h"

#include <QString>

// Why the program did not read or write one of its own files (settings file,
// key file, backup copy, probe file). The texts name the file and, for a
// failure of the system, the system's reason.
struct FileProblem
{
    enum class Kind {
        None,
        Missing,
        Folder,       // a folder where a file was expected
        Link,         // a symbolic link: never read or written through
        Special,      // a pipe, socket or device: never read
        NotOwned,     // belongs to another user
        OpenToOthers, // others may write to it
        TooLarge,
        Changed, // replaced between the look and the open
        System,  // the system refused; systemError holds the number
    };

    Kind kind = Kind::None;
    int systemError = 0;
    QString path;

    static FileProblem system(const QString &path, int errorNumber);

    bool isNone() const { return kind == Kind::None; }
    // "<path>: <reason>", German or English.
    QString text(Language language) const;
};
