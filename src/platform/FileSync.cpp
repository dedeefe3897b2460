#include "platform/FileSync.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

#if defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace FileSync {

bool flushToDisk(int fileDescriptor)
{
    if (fileDescriptor < 0)
        return false;
#if defined(Q_OS_WIN)
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fileDescriptor));
    return FlushFileBuffers(handle) != 0;
#else
    return ::fsync(fileDescriptor) == 0;
#endif
}

bool flushToDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
    return flushToDisk(file.handle());
}

void flushFolderOf(const QString &path)
{
#if defined(Q_OS_UNIX)
    const int descriptor = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    flushToDisk(descriptor);
    ::close(descriptor);
#else
    Q_UNUSED(path);
#endif
}

} // namespace FileSync
