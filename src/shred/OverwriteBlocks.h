#pragma once

#include <QtGlobal>

#include <functional>

// Covers the byte range [0, size) with writes of blockSize bytes from the
// start, the last one shorter when size is not a multiple of blockSize, so
// that exactly the file's length is written. Stops at the first write that
// fails and returns false then.
using BlockWrite = std::function<bool(qint64 offset, qint64 length)>;

bool OverwriteBlocks(qint64 size, qint64 blockSize, const BlockWrite &write);
