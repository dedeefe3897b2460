#include "platform/FileIdentity.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace {

FileIdentity fromStat(const struct stat &info)
{
    FileIdentity identity;
    if (S_ISREG(info.st_mode))
        identity.kind = FileIdentity::Kind::RegularFile;
    else if (S_ISDIR(info.st_mode))
        identity.kind = FileIdentity::Kind::Folder;
    else if (S_ISLNK(info.st_mode))
        identity.kind = FileIdentity::Kind::Link;
    else
        identity.kind = FileIdentity::Kind::Other;
    identity.device = static_cast<quint64>(info.st_dev);
    identity.inode = static_cast<quint64>(info.st_ino);
    identity.size = static_cast<qint64>(info.st_size);
    identity.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    identity.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    identity.links = static_cast<quint64>(info.st_nlink);
    identity.permissions = info.st_mode & 07777;
    identity.owner = info.st_uid;
    identity.group = info.st_gid;
    return identity;
}

FileIdentity failed(int error)
{
    FileIdentity identity;
    identity.cause = systemCauseOf(error);
    identity.reason = systemErrorText(error);
    identity.kind = error == ENOENT || error == ENOTDIR ? FileIdentity::Kind::Missing
                                                        : FileIdentity::Kind::Unreadable;
    return identity;
}

} // namespace

FileIdentity FileIdentity::ofPath(const QString &path)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return failed(errno);
    return fromStat(info);
}

FileIdentity FileIdentity::ofDescriptor(int descriptor)
{
    struct stat info
    {
    };
    if (::fstat(descriptor, &info) != 0)
        return failed(errno);
    return fromStat(info);
}

bool FileIdentity::sameFile(const FileIdentity &other) const
{
    return kind != Kind::Missing && kind != Kind::Unreadable && kind == other.kind &&
           device == other.device && inode == other.inode;
}

bool FileIdentity::sameState(const FileIdentity &other) const
{
    return sameFile(other) && size == other.size && modifiedNs == other.modifiedNs &&
           changedNs == other.changedNs;
}
