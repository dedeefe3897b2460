#include "platform/FileSync.h"

#include <QFileDevice>

#if defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#else
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

} // namespace FileSync
