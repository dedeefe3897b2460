#include "RawNames.h"

#include <QFile>
#include <QList>

#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contentOf(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return QByteArray("<unreadable>");
    QByteArray content;
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, got);
    ::close(fd);
    return content;
}

// The names in a folder (without "." and ".."), each with its kind as lstat
// tells it, before anything is done to them.
QList<std::pair<QByteArray, mode_t>> entriesOf(const QByteArray &folder)
{
    QList<std::pair<QByteArray, mode_t>> entries;
    DIR *dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return entries;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        struct stat info
        {
        };
        if (name != "." && name != ".." && ::lstat((folder + '/' + name).constData(), &info) == 0)
            entries.append({name, info.st_mode});
    }
    ::closedir(dir);
    return entries;
}

void collect(const QByteArray &root, const QByteArray &relative,
             QMap<QByteArray, QByteArray> &entries)
{
    const QByteArray folder = relative.isEmpty() ? root : root + '/' + relative;
    for (const auto &[name, mode] : entriesOf(folder)) {
        const QByteArray key = relative.isEmpty() ? name : relative + '/' + name;
        const QByteArray path = root + '/' + key;
        if (S_ISDIR(mode)) {
            entries[key] = "<folder>";
            collect(root, key, entries);
        } else if (S_ISLNK(mode)) {
            char target[4096] = {};
            const ssize_t length = ::readlink(path.constData(), target, sizeof target - 1);
            entries[key] = "-> " + QByteArray(target, length < 0 ? 0 : length);
        } else {
            entries[key] = contentOf(path);
        }
    }
}

// Removes everything below a folder, by the bytes of each name.
void removeBelow(const QByteArray &folder)
{
    ::chmod(folder.constData(), 0700);
    for (const auto &[name, mode] : entriesOf(folder)) {
        const QByteArray path = folder + '/' + name;
        if (S_ISDIR(mode)) {
            removeBelow(path);
            ::rmdir(path.constData());
        } else {
            ::unlink(path.constData());
        }
    }
}

} // namespace

namespace RawNames {

TemporaryFolder::~TemporaryFolder()
{
    removeBelow(bytesOf(m_dir.path()));
}

QByteArray bytesOf(const QString &path)
{
    return QFile::encodeName(path);
}

bool write(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

bool makeFolder(const QByteArray &path)
{
    return ::mkdir(path.constData(), 0700) == 0;
}

QMap<QByteArray, QByteArray> snapshot(const QByteArray &folder)
{
    QMap<QByteArray, QByteArray> entries;
    collect(folder, QByteArray(), entries);
    return entries;
}

} // namespace RawNames
