#pragma once

class QFileDevice;
class QString;

// Forces what has been written through a file to the disk (fsync on POSIX,
// FlushFileBuffers on Windows). Returns false when the system reports failure.
namespace FileSync {

bool flushToDisk(QFileDevice &file);
bool flushToDisk(int fileDescriptor);

// Makes a rename or removal in the folder that holds `path` durable. Not
// every file system can flush a folder; the files themselves are flushed
// first, so this is best effort (and nothing to do on Windows).
void flushFolderOf(const QString &path);

} // namespace FileSync
