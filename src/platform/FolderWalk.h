#pragma once

#include "platform/SystemError.h"

#include <QString>

#include <vector>

// Everything under one folder, found without following a link: each folder
// is opened relative to the one it sits in (openat with O_NOFOLLOW and
// O_DIRECTORY) and listed through that descriptor, so that a folder swapped
// for a link during the walk is not entered. The walk stays on the starting
// folder's file system unless told otherwise. It changes nothing.
namespace FolderWalk {

struct Entry
{
    enum class Kind {
        File,            // a regular file of one name: to be worked on
        Folder,          // a folder that was entered and listed in full
        Link,            // a symbolic link, never followed
        Special,         // a pipe, socket or device node
        FurtherNames,    // a regular file with further names (hard links)
        OtherFileSystem, // a folder on another file system, not entered
        NameNotText,     // a name whose bytes do not survive being made text
        Unreadable,      // a folder that could not be opened or listed, or an entry not looked at
    };

    Kind kind = Kind::File;
    // The entry's path as text; for NameNotText the bytes that are not
    // UTF-8 read as U+FFFD, for showing only.
    QString path;
    // The folder's path relative to the starting folder ("" for the
    // starting folder itself, "a/b" below it); only for Folder.
    QString relative;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0; // bytes, for File and FurtherNames
    // Why a folder was Unreadable: the cause and the system's words.
    SystemCause cause = SystemCause::None;
    QString reason;
};

struct Options
{
    // Enter folders on other file systems (mount points) as well.
    bool crossFileSystems = false;
};

struct Result
{
    // False when the starting folder itself could not be opened as a folder
    // (cause and reason say why; a link at its name counts as no folder).
    bool opened = false;
    SystemCause cause = SystemCause::None;
    QString reason;
    // Every entry in the order found: a folder before what it holds, the
    // names of a folder in byte order.
    std::vector<Entry> entries;
};

Result walk(const QString &folder, const Options &options = {});

} // namespace FolderWalk
