#pragma once

#include "platform/NameRemoval.h"

#include <QString>

class FileAttributes;
struct FileIdentity;

// An existing regular file opened for reading and writing that no other
// program may use while it is open here. Links are not followed.
//
// POSIX: open(O_RDWR | O_NOFOLLOW) and an exclusive advisory lock
// (flock LOCK_EX | LOCK_NB); a file that another program holds with flock or
// with a POSIX record lock counts as in use. Windows: CreateFileW without any
// sharing. The handle is closed when the object goes.
class ExclusiveFile
{
public:
    enum class Failure { None, NotFound, InUse, AccessDenied, NotRegular, Replaced, Other };

    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile &) = delete;
    ExclusiveFile &operator=(const ExclusiveFile &) = delete;

    // Opens and locks the file. When `expected` carries an identity, a file
    // that is no longer the one described there (replaced meanwhile) is not
    // taken. On failure nothing is open and failure()/errorText() say why.
    bool open(const QString &path, const FileAttributes &expected);
    // Opens the file that this process holds locked already through another
    // descriptor (an encrypt run's input, once the run is done with it),
    // for writing: taken only while the name still holds that very file in
    // the state `held` describes (Replaced otherwise). It takes no lock of
    // its own, since the holder's lock keeps every other run off the file
    // for as long as the holder keeps it open; a POSIX record lock of
    // another process still counts as in use.
    bool openHeld(const QString &path, const FileIdentity &held);

    bool isOpen() const;
    // The file's length now, asked of the open handle; -1 when the system
    // cannot tell (errorText() says why).
    qint64 currentSize();
    // How many names (hard links) the file has, as it stood once the lock
    // was held.
    int linkCount() const { return m_links; }

    // Writes all `length` bytes at the 64-bit offset, never past what is asked.
    bool writeAt(qint64 offset, const char *data, qint64 length);
    // Forces the written data to the disk.
    bool flushToDisk();
    // Removes `path` while the file is still open, but only while that name
    // holds this very file at `expectedSize` bytes (-1: any length); see
    // NameRemoval. Windows: the file is marked for deletion through the
    // handle, which cannot reach another file, once its length is checked.
    NameRemoval removeName(const QString &path, qint64 expectedSize);
    // Releases the lock and closes; false when the system reported an error.
    bool close();

    Failure failure() const { return m_failure; }
    // The system's words for a failure the system reported; empty for the
    // refusals that failure() says all about (in use, not regular, replaced).
    QString errorText() const { return m_errorText; }

private:
    void fail(Failure failure, const QString &text);
#if !defined(Q_OS_WIN)
    // The file at path opened for reading and writing, never through a
    // link; -1 after a failure (failure() says why).
    int openForWriting(const QString &path);
#endif

#if defined(Q_OS_WIN)
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    int m_links = 1;
    Failure m_failure = Failure::None;
    QString m_errorText;
};
