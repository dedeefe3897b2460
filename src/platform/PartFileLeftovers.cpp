#include "platform/PartFileLeftovers.h"

#include "platform/ExclusiveNewFile.h"
#include "platform/FileIdentity.h"
#include "platform/FileSync.h"
#include "platform/FullWrite.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 ZeroBlock = qint64(1) << 20;

// A descriptor closed when it goes (which also drops a flock on it).
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

bool isLeftover(const FileIdentity &file)
{
    return file.kind == FileIdentity::Kind::RegularFile && file.links == 1 &&
           file.owner == ::geteuid();
}

int openNoFollow(const QByteArray &path, int access)
{
    return ::open(path.constData(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool overwriteOnce(int fd, qint64 size)
{
    const std::vector<char> zeros(size_t(std::min(size, ZeroBlock)), '\0');
    for (qint64 offset = 0; offset < size;) {
        const qint64 length = std::min(ZeroBlock, size - offset);
        if (!writeAll(fd, std::span(zeros.data(), size_t(length))))
            return false;
        offset += length;
    }
    return FileSync::flushToDisk(fd);
}

// Overwrites and removes one leftover; false when it is none, belongs to a
// living run, or cannot be overwritten.
bool removeLeftover(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    const FileIdentity seen = FileIdentity::ofPath(path);
    if (!isLeftover(seen))
        return false;
    // Read access is what every mode a run gives its part file allows; the
    // lock is taken on this descriptor.
    const Descriptor held(openNoFollow(native, O_RDONLY));
    if (!held.isOpen())
        return false;
    const FileIdentity opened = FileIdentity::ofDescriptor(held.get());
    if (!isLeftover(opened) || !opened.sameFile(seen))
        return false;
    if (::flock(held.get(), LOCK_EX | LOCK_NB) != 0)
        return false; // a living run's file, or one that another program holds
    if ((opened.permissions & S_IWUSR) == 0 && ::fchmod(held.get(), S_IRUSR | S_IWUSR) != 0)
        return false;
    const Descriptor writing(openNoFollow(native, O_WRONLY));
    if (!writing.isOpen() || !FileIdentity::ofDescriptor(writing.get()).sameFile(opened))
        return false;
    if (!overwriteOnce(writing.get(), FileIdentity::ofDescriptor(writing.get()).size))
        return false;
    if (!FileIdentity::ofPath(path).sameFile(opened))
        return false;
    return ::unlink(native.constData()) == 0;
}

} // namespace

namespace PartFileLeftovers {

QStringList removeFrom(const QString &folder)
{
    QStringList removed;
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        if (!ExclusiveNewFile::isPartFileName(name))
            continue;
        if (removeLeftover(QDir(folder).filePath(name)))
            removed.append(name);
    }
    if (!removed.isEmpty())
        FileSync::flushFolderOf(QDir(folder).filePath(removed.first()));
    return removed;
}

} // namespace PartFileLeftovers
