#pragma once

#include "platform/ExclusiveNewFile.h"
#include "platform/FileProblem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

// How the program opens its own files: the settings file, key files, backup
// copies and the update probe file. Only regular files are read: a link, a
// pipe, a socket or a device is refused without waiting on it (lstat, then
// open with O_NOFOLLOW | O_NONBLOCK, then fstat: still the same regular file).
// Files are written only by creating a new file exclusively next to the
// target, flushing it and renaming it over the target, so nothing is ever
// written through a link and a failed write leaves the old file whole.
namespace SafeOpen {

enum class Owner { Anyone, CurrentUser };

// An open file descriptor of a regular file, closed when the object goes.
class ReadHandle
{
public:
    ReadHandle() = default;
    explicit ReadHandle(int fd)
        : m_fd(fd)
    {
    }
    ~ReadHandle();
    ReadHandle(ReadHandle &&other) noexcept;
    ReadHandle &operator=(ReadHandle &&other) noexcept;
    ReadHandle(const ReadHandle &) = delete;
    ReadHandle &operator=(const ReadHandle &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Bytes read into buffer, 0 at the end, -1 with errno set on failure.
    qint64 read(char *buffer, qint64 size);

private:
    int m_fd = -1;
};

// Opens a regular file for reading. With Owner::CurrentUser a file of
// another user, or one that others may write to, is refused as well.
std::optional<ReadHandle> openForReading(const QString &path, FileProblem *problem,
                                         Owner owner = Owner::Anyone);

// All bytes of a regular file; refused when larger than maxSize.
std::optional<QByteArray> readAll(const QString &path, qint64 maxSize, FileProblem *problem,
                                  Owner owner = Owner::Anyone);

// At most maxSize bytes from the start of a regular file.
std::optional<QByteArray> readStart(const QString &path, qint64 maxSize, FileProblem *problem,
                                    Owner owner = Owner::Anyone);

// What lies at a path, without following a link and without opening it.
FileProblem::Kind kindAt(const QString &path);

// Replaces a file whole: begin() creates a new owner-only file exclusively in
// the target's folder (ExclusiveNewFile: without a name where the file system
// allows it), write() appends to it, commit() flushes it to the disk and puts
// it over the target (a link at the target is replaced, never followed). A
// replacement that is not committed is removed again.
class Replacement
{
public:
    Replacement() = default;
    ~Replacement();
    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;

    bool begin(const QString &target, FileProblem *problem);
    bool write(QByteArrayView bytes, FileProblem *problem);
    bool commit(FileProblem *problem);
    void discard();

private:
    QString m_target;
    std::unique_ptr<ExclusiveNewFile> m_file;
};

// Creates a folder with owner-only permissions (0700), whatever the umask;
// false with the reason when it cannot, also when something is in its place.
bool createPrivateFolder(const QString &path, FileProblem *problem);

} // namespace SafeOpen
