#include "platform/ExclusiveFile.h"

#include "platform/FileAttributes.h"
#include "platform/FileIdentity.h"
#include "platform/FileSync.h"

#include <QFile>

#if defined(Q_OS_WIN)
#include <windows.h>
#else
#include "platform/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

void ExclusiveFile::fail(Failure failure, const QString &text)
{
    m_failure = failure;
    m_errorText = text;
}

#if defined(Q_OS_WIN)

namespace {

QString systemErrorText(DWORD code)
{
    return qt_error_string(static_cast<int>(code));
}

} // namespace

ExclusiveFile::~ExclusiveFile()
{
    close();
}

bool ExclusiveFile::isOpen() const
{
    return m_handle != nullptr;
}

bool ExclusiveFile::open(const QString &path, const FileAttributes &)
{
    close();
    m_failure = Failure::None;
    m_errorText.clear();
    const std::wstring native =
        QString(path).replace(QLatin1Char('/'), QLatin1Char('\\')).toStdWString();
    HANDLE handle = CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                0 /* no sharing */, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        Failure failure = Failure::Other;
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            failure = Failure::NotFound;
        else if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            failure = Failure::InUse;
        else if (error == ERROR_ACCESS_DENIED)
            failure = Failure::AccessDenied;
        fail(failure, failure == Failure::InUse ? QString() : systemErrorText(error));
        return false;
    }
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
        CloseHandle(handle);
        fail(Failure::NotRegular, QString());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    m_links = GetFileInformationByHandle(handle, &information)
                  ? static_cast<int>(information.nNumberOfLinks)
                  : 1;
    m_handle = handle;
    return true;
}

qint64 ExclusiveFile::currentSize()
{
    LARGE_INTEGER size{};
    if (GetFileSizeEx(m_handle, &size))
        return size.QuadPart;
    fail(Failure::Other, systemErrorText(GetLastError()));
    return -1;
}

bool ExclusiveFile::writeAt(qint64 offset, const char *data, qint64 length)
{
    while (length > 0) {
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
        position.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD chunk = static_cast<DWORD>(qMin<qint64>(length, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(m_handle, data, chunk, &written, &position) || written == 0) {
            fail(Failure::Other, systemErrorText(GetLastError()));
            return false;
        }
        offset += written;
        data += written;
        length -= written;
    }
    return true;
}

bool ExclusiveFile::flushToDisk()
{
    if (FlushFileBuffers(m_handle))
        return true;
    fail(Failure::Other, systemErrorText(GetLastError()));
    return false;
}

// The other descriptor's handle was opened without sharing, so no second
// handle can be had here.
bool ExclusiveFile::openHeld(const QString &, const FileIdentity &)
{
    close();
    fail(Failure::InUse, QString());
    return false;
}

NameRemoval ExclusiveFile::removeName(const QString &, qint64 expectedSize)
{
    NameRemoval removal;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(m_handle, &size)) {
        removal.cause = SystemCause::Other;
        removal.reason = systemErrorText(GetLastError());
        return removal;
    }
    if (expectedSize >= 0 && size.QuadPart != expectedSize) {
        removal.result = NameRemoval::Result::SizeChanged;
        return removal;
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!SetFileInformationByHandle(m_handle, FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
        const DWORD error = GetLastError();
        removal.cause =
            error == ERROR_ACCESS_DENIED ? SystemCause::AccessDenied : SystemCause::Other;
        removal.reason = systemErrorText(error);
        return removal;
    }
    removal.result = NameRemoval::Result::Removed;
    return removal;
}

bool ExclusiveFile::close()
{
    if (m_handle == nullptr)
        return true;
    const bool ok = CloseHandle(m_handle) != 0;
    m_handle = nullptr;
    return ok;
}

#else

namespace {

// A POSIX record lock that another process holds anywhere on the file.
// Locks of our own open file descriptions report no process and are ignored.
bool lockedByOtherProcess(int fd)
{
    struct flock probe
    {
    };
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0; // the whole file
    if (::fcntl(fd, F_GETLK, &probe) != 0)
        return false;
    return probe.l_type != F_UNLCK && probe.l_pid > 0 && probe.l_pid != ::getpid();
}

} // namespace

ExclusiveFile::~ExclusiveFile()
{
    close();
}

bool ExclusiveFile::isOpen() const
{
    return m_fd >= 0;
}

int ExclusiveFile::openForWriting(const QString &path)
{
    close();
    m_failure = Failure::None;
    m_errorText.clear();

    // No O_CREAT: only an existing file. O_NOFOLLOW: a link put in the file's
    // place is not written through. O_NONBLOCK: a pipe or a lease held by
    // another program does not make us wait.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        Failure failure = Failure::Other;
        if (error == ENOENT || error == ENOTDIR)
            failure = Failure::NotFound;
        else if (error == EACCES || error == EPERM || error == EROFS || error == ETXTBSY)
            failure = Failure::AccessDenied;
        else if (error == ELOOP)
            failure = Failure::NotRegular;
        else if (error == EWOULDBLOCK)
            failure = Failure::InUse;
        fail(failure, systemErrorText(error));
    }
    return fd;
}

bool ExclusiveFile::open(const QString &path, const FileAttributes &expected)
{
    const int fd = openForWriting(path);
    if (fd < 0)
        return false;

    auto refuse = [this, fd](Failure failure, const QString &text) {
        ::close(fd);
        fail(failure, text);
        return false;
    };

    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0)
        return refuse(Failure::Other, systemErrorText(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(Failure::NotRegular, QString());
    if (expected.inode != 0 && (static_cast<quint64>(info.st_dev) != expected.device ||
                                static_cast<quint64>(info.st_ino) != expected.inode))
        return refuse(Failure::Replaced, QString());

    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            return refuse(Failure::InUse, QString());
        return refuse(Failure::Other, systemErrorText(error));
    }
    if (lockedByOtherProcess(fd))
        return refuse(Failure::InUse, QString());

    // How many names the file has once the lock is held.
    if (::fstat(fd, &info) != 0)
        return refuse(Failure::Other, systemErrorText(errno));
    m_fd = fd;
    m_links = static_cast<int>(info.st_nlink);
    return true;
}

bool ExclusiveFile::openHeld(const QString &path, const FileIdentity &held)
{
    const int fd = openForWriting(path);
    if (fd < 0)
        return false;
    const FileIdentity opened = FileIdentity::ofDescriptor(fd);
    Failure refusal = Failure::None;
    if (opened.kind != FileIdentity::Kind::RegularFile)
        refusal = Failure::NotRegular;
    else if (!opened.sameState(held))
        refusal = Failure::Replaced;
    else if (lockedByOtherProcess(fd))
        refusal = Failure::InUse;
    if (refusal != Failure::None) {
        ::close(fd);
        fail(refusal, QString());
        return false;
    }
    m_fd = fd;
    m_links = static_cast<int>(opened.links);
    return true;
}

qint64 ExclusiveFile::currentSize()
{
    struct stat info
    {
    };
    if (::fstat(m_fd, &info) == 0)
        return static_cast<qint64>(info.st_size);
    fail(Failure::Other, systemErrorText(errno));
    return -1;
}

bool ExclusiveFile::writeAt(qint64 offset, const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t written =
            ::pwrite(m_fd, data, static_cast<size_t>(length), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(Failure::Other, systemErrorText(errno));
            return false;
        }
        if (written == 0) {
            fail(Failure::Other, systemErrorText(ENOSPC));
            return false;
        }
        offset += written;
        data += written;
        length -= written;
    }
    return true;
}

bool ExclusiveFile::flushToDisk()
{
#if defined(Q_OS_MACOS)
    // fsync on macOS stops at the drive's cache; F_FULLFSYNC goes through it.
    if (::fcntl(m_fd, F_FULLFSYNC) == 0)
        return true;
#endif
    if (FileSync::flushToDisk(m_fd))
        return true;
    fail(Failure::Other, systemErrorText(errno));
    return false;
}

NameRemoval ExclusiveFile::removeName(const QString &path, qint64 expectedSize)
{
    struct stat info
    {
    };
    if (::fstat(m_fd, &info) != 0) {
        const int error = errno;
        NameRemoval removal;
        removal.cause = systemCauseOf(error);
        removal.reason = systemErrorText(error);
        return removal;
    }
    NameRemoval::Expected expected;
    expected.device = static_cast<quint64>(info.st_dev);
    expected.inode = static_cast<quint64>(info.st_ino);
    expected.size = expectedSize;
    return NameRemoval::remove(path, expected, m_fd);
}

bool ExclusiveFile::close()
{
    if (m_fd < 0)
        return true;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) == 0)
        return true;
    fail(Failure::Other, systemErrorText(errno));
    return false;
}

#endif
