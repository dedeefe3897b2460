#pragma once

#include "platform/FileIdentity.h"
#include "platform/SystemError.h"

#include <QString>

#include <span>

// A file this program creates itself and puts in place once it is complete,
// so that no other file can ever take its place on the way.
//
// Where the file system allows it (Linux: ext4, xfs, btrfs, tmpfs, ...) the
// file is made without a name (O_TMPFILE in the final name's folder): no
// other program can open, swap or replace it while it is written, and a run
// that is killed leaves nothing behind. It gets a name only once it is
// complete: linked straight to the final name when that must be free, or
// else under a part-file name that is then renamed over the final name.
//
// Elsewhere it is made under its part-file name from the start: "." + the
// final name + "." + six random characters + ".velmora-part" in the final
// name's folder, created with O_CREAT | O_EXCL | O_NOFOLLOW, so never the
// name of another file. Either way a rename happens only while the part-file
// name still holds the open file (device and inode), and the final name must
// hold it afterwards; otherwise the placing fails as replaced().
//
// The file is owner-only (0600) while it is written and holds an exclusive
// flock, which tells a later run that a part file belongs to a living run.
// The permissions of the file it replaces come with takeAttributes(), just
// before it is placed. rename(2) replaces a link at the final name itself,
// never what it points to. On Linux the written bytes go to the disk while
// the work goes on (sync_file_range), so the flush at the end waits little.
class ExclusiveNewFile
{
public:
    // How the final name may be taken.
    enum class Placing {
        ReplaceExisting, // a file there is replaced by the rename
        OnlyIfAbsent     // a file that appeared there meanwhile stays; fails
    };

    ExclusiveNewFile() = default;
    ~ExclusiveNewFile(); // removes the file unless it was put in place
    ExclusiveNewFile(const ExclusiveNewFile &) = delete;
    ExclusiveNewFile &operator=(const ExclusiveNewFile &) = delete;

    // Creates the file for finalPath; false when none could be.
    bool create(const QString &finalPath);
    // The part-file name the file has now; empty while it has none.
    QString path() const { return m_path; }
    // A name under which the complete file can be read before it is placed:
    // a file without a name gets its part-file name first. Empty when no
    // name could be given (failure() says why).
    QString nameForReading();
    int descriptor() const { return m_fd; }

    bool write(std::span<const char> bytes);
    // Permission bits, and owner and group where the system allows it.
    void takeAttributes(const FileIdentity &model);
    bool flushToDisk();
    // Puts the file at the final name and flushes the folder.
    bool place(Placing placing);
    // Removes the file: the part file, or once placed the result, but only
    // while the name still holds the file written here.
    void discard();

    FileIdentity identity() const { return FileIdentity::ofDescriptor(m_fd); }
    // True after place() found another file, or none, where this one should
    // have been: the part-file name was swapped or removed during the run.
    bool replaced() const { return m_replaced; }
    // The cause of the last failure, and the system's words for it.
    SystemCause failure() const;
    QString errorText() const;

    // Whether a file name (without folder) has the form of a part file.
    static bool isPartFileName(const QString &fileName);

    // Test seam: while an object of this class lives, files created on this
    // thread get their part-file name from the start, as on file systems
    // that cannot make a file without a name.
    class NamedForTesting
    {
    public:
        NamedForTesting();
        ~NamedForTesting();
        NamedForTesting(const NamedForTesting &) = delete;
        NamedForTesting &operator=(const NamedForTesting &) = delete;

    private:
        bool m_previous;
    };

private:
    bool fail(int error);
    bool failReplaced();
    bool createNameless(const QString &folder);
    bool createNamed(const QString &folder);
    bool giveName();
    bool renameInto(Placing placing);
    void startWriteback();

    QString m_path;
    QString m_finalPath;
    int m_fd = -1;
    bool m_placed = false;
    bool m_replaced = false;
    qint64 m_written = 0;
    qint64 m_writebackStart = 0;
    int m_error = 0;
};
