#include "platform/FileLinks.h"

#include "platform/FileSync.h"
#include "platform/FullWrite.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileLinks::Result failure(int error)
{
    switch (error) {
    case EEXIST:
        return FileLinks::Result::NameTaken;
    case EPERM:
    case EXDEV:
    case EMLINK:
    case ENOTSUP:
    case ENOSYS:
        return FileLinks::Result::NotHere;
    default:
        return FileLinks::Result::Failed;
    }
}

bool copyAll(int from, int to)
{
    std::array<char, 1 << 16> buffer;
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!writeAll(to, std::span(buffer.data(), size_t(got))))
            return false;
    }
}

} // namespace

namespace FileLinks {

Result addName(const QString &existing, const QString &newName)
{
    if (::linkat(AT_FDCWD, QFile::encodeName(existing).constData(), AT_FDCWD,
                 QFile::encodeName(newName).constData(), 0) == 0)
        return Result::Done;
    return failure(errno);
}

Result copyToNewName(const QString &from, const QString &to)
{
    const int source =
        ::open(QFile::encodeName(from).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (source < 0)
        return Result::Failed;
    const FileIdentity model = FileIdentity::ofDescriptor(source);
    if (model.kind != FileIdentity::Kind::RegularFile) {
        ::close(source);
        return Result::Failed;
    }
    ::fcntl(source, F_SETFL, ::fcntl(source, F_GETFL) & ~O_NONBLOCK);
    const QByteArray target = QFile::encodeName(to);
    const int copy =
        ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (copy < 0) {
        const Result result =
            failure(errno) == Result::NameTaken ? Result::NameTaken : Result::Failed;
        ::close(source);
        return result;
    }
    bool ok = copyAll(source, copy);
    ok = ok && ::fchmod(copy, model.permissions) == 0 && FileSync::flushToDisk(copy);
    const FileIdentity made = FileIdentity::ofDescriptor(copy);
    ::close(source);
    ::close(copy);
    if (ok)
        return Result::Done;
    removeIfSame(to, made);
    return Result::Failed;
}

bool removeIfSame(const QString &path, const FileIdentity &identity)
{
    if (!FileIdentity::ofPath(path).sameFile(identity))
        return false;
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

} // namespace FileLinks
