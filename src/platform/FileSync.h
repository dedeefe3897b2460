#pragma once

class QFileDevice;
class QString;

// Forces what has been written through a file to the disk (fsync on POSIX,
// FlushFileBuffers on Windows). Returns false when the system reports failure.
namespace FileSync {

bool flushToDisk(QFileDevice &file);
bool flushToDisk(int fileDescriptor);

// Makes the renames and removals in `folder` durable.
// False when the folder could not be flushed; on Windows there is nothing
// to do.
bool flushFolder(const QString &folder);
// The same for the folder that holds `path`, where a flush that fails is
// not worth reporting: the files themselves are flushed first.
void flushFolderOf(const QString &path);

} // namespace FileSync
