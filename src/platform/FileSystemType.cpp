#include "platform/FileSystemType.h"

#include <QFile>

#include <cerrno>

#if defined(Q_OS_LINUX)
#include <sys/vfs.h>
#elif defined(Q_OS_UNIX)
#include <sys/mount.h>
#include <sys/param.h>

#include <cstring>
#endif

namespace {

#if defined(Q_OS_LINUX)
// The kernel's own file systems, by the magic number statfs reports.
struct PseudoFileSystem
{
    quint32 magic;
    const char *name;
};

constexpr PseudoFileSystem PseudoFileSystems[] = {
    {0x00009fa0, "proc"},    {0x62656572, "sysfs"},      {0x64626720, "debugfs"},
    {0x74726163, "tracefs"}, {0x73636673, "securityfs"}, {0xf97cff8c, "selinuxfs"},
    {0x43415d53, "smackfs"}, {0x0027e0eb, "cgroup"},     {0x63677270, "cgroup2"},
    {0x00001cd1, "devpts"},  {0xcafe4a11, "bpf"},        {0x62656570, "configfs"},
    {0x6165676c, "pstore"},  {0xde5e81e4, "efivarfs"},   {0x42494e4d, "binfmt_misc"},
    {0x65735543, "fusectl"}, {0x19800202, "mqueue"},     {0x67596969, "rpc_pipefs"},
    {0x6e667364, "nfsd"},    {0x00009fa1, "openpromfs"}, {0x00009fa2, "usbdevfs"},
    {0x6e736673, "nsfs"},    {0x6c6f6f70, "binderfs"},   {0x07655821, "resctrl"},
    {0xabba1974, "xenfs"},
};
#elif defined(Q_OS_UNIX)
constexpr const char *PseudoFileSystems[] = {"procfs", "linprocfs", "linsysfs",
                                             "devfs",  "fdescfs",   "kernfs"};
#endif

#if defined(Q_OS_UNIX)
FileSystemType failed(int error)
{
    FileSystemType type;
    type.cause = systemCauseOf(error);
    type.reason = systemErrorText(error);
    return type;
}
#endif

} // namespace

FileSystemType FileSystemType::of(const QString &path)
{
#if defined(Q_OS_UNIX)
    struct statfs info
    {
    };
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return failed(errno);
    FileSystemType type;
    type.kind = Kind::Ordinary;
#if defined(Q_OS_LINUX)
    const auto magic = static_cast<quint32>(info.f_type);
    for (const PseudoFileSystem &pseudo : PseudoFileSystems) {
        if (pseudo.magic == magic) {
            type.kind = Kind::Pseudo;
            type.name = QString::fromLatin1(pseudo.name);
        }
    }
#else
    for (const char *pseudo : PseudoFileSystems) {
        if (std::strcmp(info.f_fstypename, pseudo) == 0) {
            type.kind = Kind::Pseudo;
            type.name = QString::fromLatin1(pseudo);
        }
    }
#endif
    return type;
#else
    Q_UNUSED(path);
    return FileSystemType{};
#endif
}
