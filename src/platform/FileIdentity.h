#pragma once

#include "platform/SystemError.h"

#include <QString>

// What the system knows about one file: which file it is (device and inode)
// and the state that every change of its content touches (length, time of
// the last change of the content, time of the last change of the inode).
// Taken from an open descriptor or from a name without following a link.
struct FileIdentity
{
    enum class Kind { Missing, Unreadable, RegularFile, Folder, Link, Other };

    static FileIdentity ofPath(const QString &path);
    static FileIdentity ofDescriptor(int descriptor);

    // The same file (device and inode), whatever happened to its content.
    bool sameFile(const FileIdentity &other) const;
    // The same file and nothing written, cut, grown or renamed over it.
    bool sameState(const FileIdentity &other) const;

    Kind kind = Kind::Missing;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 links = 0;
    unsigned permissions = 0; // the mode's permission bits
    unsigned owner = 0;
    unsigned group = 0;
    // Why the look failed (Missing, Unreadable): the cause and the system's words.
    SystemCause cause = SystemCause::None;
    QString reason;
};
