#pragma once

class QFileDevice;

// Forces what has been written through a file to the disk (fsync on POSIX,
// FlushFileBuffers on Windows). Returns false when the system reports failure.
namespace FileSync {

bool flushToDisk(QFileDevice &file);
bool flushToDisk(int fileDescriptor);

} // namespace FileSync
