#pragma once

#include "platform/SystemError.h"

#include <QString>

// Why the program did not read or write one of its own files (settings file,
// key file, backup copy, probe file): what was wrong, the file, and for a
// refusal of the system its cause and its own words. The words for the user
// are chosen above this folder (filetexts/FileProblemText.h).
struct FileProblem
{
    enum class Kind {
        None,
        Missing,
        Folder,       // a folder where a file was expected
        NoFolder,     // no folder where a folder was expected
        Link,         // a symbolic link: never read or written through
        Special,      // a pipe, socket or device: never read
        NotOwned,     // belongs to another user
        OpenToOthers, // others may write to it
        TooLarge,
        Changed, // replaced between the look and the open
        System,  // the system refused; cause and reason say how
    };

    Kind kind = Kind::None;
    SystemCause cause = SystemCause::None;
    QString path;
    QString reason; // the system's own words, for Kind::System

    static FileProblem of(Kind kind, const QString &path);
    static FileProblem system(const QString &path, int errorNumber);
    static FileProblem system(const QString &path, SystemCause cause, const QString &reason);

    bool isNone() const { return kind == Kind::None; }
};
