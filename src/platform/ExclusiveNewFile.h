#pragma once

#include "platform/FileIdentity.h"
#include "platform/SystemError.h"

#include <QString>

#include <span>

// A file this program creates itself, under a name no other file has, and
// puts in place by a rename once it is complete.
//
// The name is "." + the final name + "." + six random characters +
// ".velmora-part" in the final name's folder: recognisable, and never the
// name of a file of the user's, since it is created with O_CREAT | O_EXCL |
// O_NOFOLLOW (mode 0600; the permissions of the file it replaces follow just
// before the rename). rename(2) replaces a link at the final name itself,
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

    // Creates the temporary file for finalPath; false when none could be.
    bool create(const QString &finalPath);
    QString path() const { return m_path; }
    int descriptor() const { return m_fd; }

    bool write(std::span<const char> bytes);
    // Permission bits, and owner and group where the system allows it.
    void takeAttributes(const FileIdentity &model);
    bool flushToDisk();
    // Renames the file to the final name and flushes the folder.
    bool place(Placing placing);
    // Removes the file: the temporary one, or once placed the result, but
    // only while the name still holds the file written here.
    void discard();

    FileIdentity identity() const { return FileIdentity::ofDescriptor(m_fd); }
    // The cause of the last failure, and the system's words for it.
    SystemCause failure() const;
    QString errorText() const;

private:
    bool fail(int error);
    void startWriteback();

    QString m_path;
    QString m_finalPath;
    int m_fd = -1;
    bool m_placed = false;
    qint64 m_written = 0;
    qint64 m_writebackStart = 0;
    int m_error = 0;
};
