#include "platform/FileAttributes.h"

#include <QFile>

#if defined(Q_OS_WIN)
#include <windows.h>
#else
#include "platform/SystemError.h"

#include <cerrno>
#include <sys/stat.h>
#endif

namespace {

#if defined(Q_OS_WIN)

std::wstring nativePath(const QString &path)
{
    return QString(path).replace(QLatin1Char('/'), QLatin1Char('\\')).toStdWString();
}

QString systemErrorText(DWORD code)
{
    return qt_error_string(static_cast<int>(code));
}

#else

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

#endif

} // namespace

#if defined(Q_OS_WIN)

FileAttributes FileAttributes::query(const QString &path)
{
    FileAttributes result;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    // No "insert a disk" dialogs for removable drives while asking.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL ok = GetFileAttributesExW(nativePath(path).c_str(), GetFileExInfoStandard, &data);
    const DWORD error = ok ? 0 : GetLastError();
    SetErrorMode(previousMode);
    if (!ok) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            result.kind = Kind::Missing;
        } else {
            result.kind = Kind::Unreadable;
            result.errorText = systemErrorText(error);
        }
        return result;
    }
    const DWORD attributes = data.dwFileAttributes;
    result.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        result.kind = Kind::Link;
        result.linkToFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        result.size = 0;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        result.kind = Kind::Folder;
        result.size = 0;
    } else if (attributes & FILE_ATTRIBUTE_DEVICE) {
        result.kind = Kind::Other;
    } else {
        result.kind = Kind::RegularFile;
        result.size = (static_cast<qint64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return result;
}

bool FileAttributes::clearReadOnly(const QString &path)
{
    const std::wstring native = nativePath(path);
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
        return true;
    return SetFileAttributesW(native.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != 0;
}

bool FileAttributes::setReadOnly(const QString &path)
{
    const std::wstring native = nativePath(path);
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return SetFileAttributesW(native.c_str(), attributes | FILE_ATTRIBUTE_READONLY) != 0;
}

#else

FileAttributes FileAttributes::query(const QString &path)
{
    FileAttributes result;
    struct stat info
    {
    };
    if (::lstat(nativePath(path).constData(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            result.kind = Kind::Missing;
        } else {
            result.kind = Kind::Unreadable;
            result.errorText = systemErrorText(error);
        }
        return result;
    }
    result.device = static_cast<quint64>(info.st_dev);
    result.inode = static_cast<quint64>(info.st_ino);
    result.readOnly = (info.st_mode & S_IWUSR) == 0;
    if (S_ISLNK(info.st_mode)) {
        result.kind = Kind::Link;
        result.size = 0; // the link's own length is its target's name, not content
        struct stat target
        {
        };
        result.linkToFolder =
            ::stat(nativePath(path).constData(), &target) == 0 && S_ISDIR(target.st_mode);
        result.readOnly = false; // a link has no permissions of its own
    } else if (S_ISDIR(info.st_mode)) {
        result.kind = Kind::Folder;
        result.size = 0;
    } else if (S_ISREG(info.st_mode)) {
        result.kind = Kind::RegularFile;
        result.size = static_cast<qint64>(info.st_size);
        result.links = static_cast<int>(info.st_nlink);
    } else {
        result.kind = Kind::Other;
        result.size = 0;
    }
    return result;
}

bool FileAttributes::clearReadOnly(const QString &path)
{
    const QByteArray native = nativePath(path);
    struct stat info
    {
    };
    if (::lstat(native.constData(), &info) != 0 || S_ISLNK(info.st_mode))
        return true;
    if (info.st_mode & S_IWUSR)
        return true;
    return ::chmod(native.constData(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

bool FileAttributes::setReadOnly(const QString &path)
{
    const QByteArray native = nativePath(path);
    struct stat info
    {
    };
    if (::lstat(native.constData(), &info) != 0 || S_ISLNK(info.st_mode))
        return false;
    return ::chmod(native.constData(), (info.st_mode & 07777) & ~mode_t(S_IWUSR)) == 0;
}

#endif
