#include "platform/FolderWalk.h"

#include "platform/NameBytes.h"

#include <QByteArrayList>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FolderWalk {

namespace {

constexpr int FolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

class Walker
{
public:
    Walker(const Options &options, quint64 startDevice, Result &result)
        : m_options(options)
        , m_startDevice(startDevice)
        , m_result(result)
    {
    }

    // Lists the open folder `descriptor` (which it closes) at entry
    // `folderIndex` and everything below it.
    void walkFolder(int descriptor, std::size_t folderIndex)
    {
        DIR *listing = ::fdopendir(descriptor);
        if (listing == nullptr) {
            const int error = errno;
            ::close(descriptor);
            markUnreadable(folderIndex, error);
            return;
        }
        QByteArrayList names;
        errno = 0;
        while (const dirent *item = ::readdir(listing)) {
            const QByteArray name(item->d_name);
            if (name != "." && name != "..")
                names.append(name);
            errno = 0;
        }
        if (errno != 0) {
            markUnreadable(folderIndex, errno);
            ::closedir(listing);
            return;
        }
        std::sort(names.begin(), names.end());
        const QString folderPath = m_result.entries[folderIndex].path;
        const QString folderRelative = m_result.entries[folderIndex].relative;
        for (const QByteArray &name : std::as_const(names))
            look(::dirfd(listing), name, folderPath, folderRelative);
        ::closedir(listing);
    }

private:
    void markUnreadable(std::size_t index, int error)
    {
        Entry &entry = m_result.entries[index];
        entry.kind = Entry::Kind::Unreadable;
        entry.cause = systemCauseOf(error);
        entry.reason = systemErrorText(error);
    }

    void look(int parent, const QByteArray &name, const QString &parentPath,
              const QString &parentRelative)
    {
        Entry entry;
        const QString text = QFile::decodeName(name);
        entry.path = parentPath + QLatin1Char('/') + text;
        struct stat info
        {
        };
        if (::fstatat(parent, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            const int error = errno;
            if (error == ENOENT)
                return; // gone since the listing: nothing to work on
            entry.kind = Entry::Kind::Unreadable;
            entry.cause = systemCauseOf(error);
            entry.reason = systemErrorText(error);
            m_result.entries.push_back(entry);
            return;
        }
        entry.device = static_cast<quint64>(info.st_dev);
        entry.inode = static_cast<quint64>(info.st_ino);
        if (!NameBytes::survivesText(name)) {
            entry.kind = Entry::Kind::NameNotText;
            m_result.entries.push_back(entry);
            return;
        }
        if (S_ISLNK(info.st_mode)) {
            entry.kind = Entry::Kind::Link;
        } else if (S_ISREG(info.st_mode)) {
            entry.kind = info.st_nlink > 1 ? Entry::Kind::FurtherNames : Entry::Kind::File;
            entry.size = static_cast<qint64>(info.st_size);
        } else if (S_ISDIR(info.st_mode)) {
            if (entry.device != m_startDevice && !m_options.crossFileSystems) {
                entry.kind = Entry::Kind::OtherFileSystem;
            } else {
                entry.kind = Entry::Kind::Folder;
                entry.relative =
                    parentRelative.isEmpty() ? text : parentRelative + QLatin1Char('/') + text;
                enter(parent, name, entry);
                return;
            }
        } else {
            entry.kind = Entry::Kind::Special;
        }
        m_result.entries.push_back(entry);
    }

    void enter(int parent, const QByteArray &name, const Entry &entry)
    {
        m_result.entries.push_back(entry);
        const std::size_t index = m_result.entries.size() - 1;
        const int descriptor = ::openat(parent, name.constData(), FolderOpenFlags);
        if (descriptor < 0) {
            markUnreadable(index, errno);
            return;
        }
        // The folder that was opened must be the one looked at: a folder
        // swapped in meanwhile (or a link, which O_NOFOLLOW refuses) is not
        // entered.
        struct stat opened
        {
        };
        if (::fstat(descriptor, &opened) != 0 ||
            static_cast<quint64>(opened.st_dev) != entry.device ||
            static_cast<quint64>(opened.st_ino) != entry.inode) {
            ::close(descriptor);
            Entry &changed = m_result.entries[index];
            changed.kind = Entry::Kind::Unreadable;
            changed.cause = SystemCause::Other;
            return;
        }
        walkFolder(descriptor, index);
    }

    const Options &m_options;
    quint64 m_startDevice;
    Result &m_result;
};

} // namespace

Result walk(const QString &folder, const Options &options)
{
    Result result;
    QString start = folder;
    while (start.size() > 1 && start.endsWith(QLatin1Char('/')))
        start.chop(1);
    const int descriptor = ::open(QFile::encodeName(start).constData(), FolderOpenFlags);
    if (descriptor < 0) {
        const int error = errno;
        // O_NOFOLLOW on a link gives ELOOP: a link is no folder to walk.
        const int reported = error == ELOOP ? ENOTDIR : error;
        result.cause = systemCauseOf(reported);
        result.reason = systemErrorText(reported);
        return result;
    }
    struct stat info
    {
    };
    if (::fstat(descriptor, &info) != 0) {
        const int error = errno;
        ::close(descriptor);
        result.cause = systemCauseOf(error);
        result.reason = systemErrorText(error);
        return result;
    }
    result.opened = true;
    Entry root;
    root.kind = Entry::Kind::Folder;
    root.path = start == QLatin1String("/") ? QString() : start;
    root.device = static_cast<quint64>(info.st_dev);
    root.inode = static_cast<quint64>(info.st_ino);
    result.entries.push_back(root);
    Walker walker(options, root.device, result);
    walker.walkFolder(descriptor, 0);
    if (start == QLatin1String("/"))
        result.entries.front().path = start;
    return result;
}

} // namespace FolderWalk
