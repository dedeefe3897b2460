#pragma once

class QFileDevice;
class QString;

// Forces what has been written through a file to the disk (fsync on POSIX,
// FlushFileBuffers on Windows). Returns false when the system reports failure.
namespace FileSync {

bool flushToDisk(QFileDevice &file);
bool flushToDisk(int fileDescriptor);

// Makes the renames and removals in the folder that holds `path` durable. A
// flush that fails is not worth reporting: the files themselves are flushed
// first. On Windows there is nothing to do.
void flushFolderOf(const QString &path);

} // namespace FileSync
