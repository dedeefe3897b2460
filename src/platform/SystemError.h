#pragma once

#include <QString>

// What a refusal of the system was about, for callers that act on the kind
// of refusal (a name that is taken, a denied access) without knowing the
// system's error numbers, which stay inside the platform folder.
enum class SystemCause {
    None,
    NotFound,     // no such file or folder
    NotFolder,    // a part of the path is no folder
    Exists,       // the name is taken
    AccessDenied, // no permission, or the file may not be changed
    NoSpace,      // the disk or the user's quota is full
    NameTooLong,
    ReadOnlyFileSystem,
    Other,
};

// The cause of an error number (errno on POSIX).
SystemCause systemCauseOf(int errorNumber);

// The system's own words for an error number ("No space left on device"),
// for messages that say why a file operation failed. Never "Unknown error"
// for a real error number, and empty for 0: where the system reported no
// error there are no words of its own to add ("Success").
QString systemErrorText(int errorNumber);
