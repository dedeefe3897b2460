#pragma once

#include <QString>

#include <optional>

// A file descriptor opened without following links and without ever blocking
// on a pipe or device, plus the few calls around it that a run replacing one
// file by another needs: the file's identity, exclusive creation, flushing,
// replacing a name by rename and flushing a folder. The descriptor is closed
// when the object goes; hand it to QFile::open(fd, mode, DontCloseHandle) to
// read or write through Qt.
//
// POSIX only (lstat, open with O_NOFOLLOW | O_NONBLOCK, fstat, flock,
// O_CREAT | O_EXCL, fsync, rename).
class SafeFile
{
public:
    enum class Failure {
        None,
        Missing,      // nothing at the path
        Link,         // a symbolic link, whatever it points to
        NotRegular,   // a folder, pipe, socket or device
        Replaced,     // the path named another file by the time it was opened
        InUse,        // another run holds the file
        Exists,       // createExclusive: something already has that name
        AccessDenied, // the system refused for lack of rights
        Other,
    };

    // What identifies a file and tells whether it changed: the same device
    // and inode, and the same size, modification and change times.
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        quint64 links = 0;
        unsigned permissions = 0; // the mode's permission bits
        bool regular = false;

        bool sameFile(const Identity &other) const
        {
            return device == other.device && inode == other.inode;
        }
        bool sameContent(const Identity &other) const
        {
            return sameFile(other) && size == other.size && modifiedNs == other.modifiedNs &&
                   changedNs == other.changedNs;
        }
    };

    SafeFile() = default;
    ~SafeFile();
    SafeFile(SafeFile &&other) noexcept;
    SafeFile &operator=(SafeFile &&other) noexcept;
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    // Opens an existing regular file for reading. The path is looked at first
    // (lstat): a link, folder, pipe, socket or device is refused without
    // being opened. The file is then opened without following links and
    // without blocking, and must be the same inode as looked at. With
    // `lockExclusive`, an advisory lock (flock LOCK_EX | LOCK_NB) is taken so
    // that a second run on the same file is refused with InUse.
    static SafeFile openForReading(const QString &path, bool lockExclusive = false);

    // Creates a new file for writing with owner-only permissions; fails with
    // Exists when anything, also a dangling link, has that name.
    static SafeFile createExclusive(const QString &path);

    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    Failure failure() const { return m_failure; }
    QString errorText() const { return m_errorText; }

    // The open file's identity (fstat); nothing when the system refuses.
    std::optional<Identity> identity() const;
    // Sets the permission bits (fchmod).
    bool setPermissions(unsigned permissions);
    // Forces the written data to the disk (fsync).
    bool flushToDisk();
    // False when the system reported an error while closing.
    bool close();

    // What is at the path itself, links not followed (lstat); nothing when
    // there is nothing or the system cannot tell. `failure` says which.
    static std::optional<Identity> identityAt(const QString &path, Failure *failure = nullptr);
    // Whether the path is a symbolic link.
    static bool isLink(const QString &path);

    // Gives `from` the name `to` in one step (rename). Whatever `to` named
    // before, a file or a link, is replaced as an entry; a link's target is
    // not touched.
    static bool renameOver(const QString &from, const QString &to, QString *errorText = nullptr);
    // Removes the entry at the path (unlink), a link as itself.
    static bool removeEntry(const QString &path, QString *errorText = nullptr);

private:
    SafeFile(int fd, Failure failure, QString errorText);
    static SafeFile failed(Failure failure, const QString &errorText);

    int m_fd = -1;
    Failure m_failure = Failure::None;
    QString m_errorText;
};
