#pragma once

#include <QString>

// What the system says about a path without opening it, and the one change
// to a path that the secure delete engine needs: the read-only attribute.
// (Removal goes through NameRemoval, which checks what it removes.) A link
// is described as itself and never followed.
//
// POSIX: lstat; "read-only" means the owner may not write (no S_IWUSR).
// Windows: GetFileAttributesExW with critical-error dialogs suppressed;
// "read-only" is FILE_ATTRIBUTE_READONLY; a reparse point counts as a link.
class FileAttributes
{
public:
    enum class Kind {
        Missing,    // nothing at the path
        Unreadable, // the system could not tell (errorText says why)
        RegularFile,
        Folder,
        Link, // a symbolic link (or reparse point), whatever it points to
        Other // device, pipe, socket
    };

    static FileAttributes query(const QString &path);

    // Gives the owner write permission back (clears the read-only attribute);
    // every other permission bit stays. A link is left alone. False when the
    // system refused the change.
    static bool clearReadOnly(const QString &path);
    // Takes the owner's write permission away again.
    static bool setReadOnly(const QString &path);

    Kind kind = Kind::Missing;
    qint64 size = -1; // bytes; -1 when unknown
    bool readOnly = false;
    bool linkToFolder = false;
    int links = 1; // names (hard links) of a regular file
    // Identity of the file, to recognise it again once it is open.
    quint64 device = 0;
    quint64 inode = 0;
    QString errorText;

    bool exists() const { return kind != Kind::Missing; }
};
