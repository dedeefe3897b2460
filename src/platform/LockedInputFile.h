#pragma once

#include "platform/FileIdentity.h"

#include <QString>

#include <span>

// A regular file of one name, opened for reading and locked against every
// other run of this program on the same file.
//
// The name is looked at first without following a link (lstat), so that a
// link, a folder, a pipe, a socket or a device is refused before anything
// opens it; the open itself uses O_NOFOLLOW and O_NONBLOCK, so that a pipe
// put in the file's place meanwhile cannot make the run wait, and the open
// file must be the very file the look found. The lock is an exclusive,
// non-blocking flock on the open file: two runs, in one process or in two,
// cannot both hold it, and the secure delete engine's lock is the same kind.
class LockedInputFile
{
public:
    enum class Failure {
        None,
        NotFound,
        Link,
        Folder,
        NotRegular,
        InUse,
        AccessDenied,
        Replaced,
        Other
    };

    LockedInputFile() = default;
    ~LockedInputFile();
    LockedInputFile(const LockedInputFile &) = delete;
    LockedInputFile &operator=(const LockedInputFile &) = delete;

    bool open(const QString &path);
    bool isOpen() const { return m_fd >= 0; }
    // For reading through another device (QFile::open(fd, ..., DontCloseHandle)).
    int descriptor() const { return m_fd; }
    void close();

    // The file as it stood once the lock was held.
    const FileIdentity &identity() const { return m_identity; }
    // True while the open file is unchanged and still the one at the name.
    bool unchanged() const;

    // Reads until the span is full or the file ends; -1 on an error.
    qint64 read(std::span<char> buffer);
    void adviseSequential();

    Failure failure() const { return m_failure; }
    // The system's words for a failure the system reported; empty for a
    // file that was replaced while being opened.
    QString errorText() const { return m_errorText; }

private:
    bool fail(Failure failure, const QString &text);

    QString m_path;
    int m_fd = -1;
    FileIdentity m_identity;
    Failure m_failure = Failure::None;
    QString m_errorText;
};
