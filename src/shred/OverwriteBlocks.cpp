#include "shred/OverwriteBlocks.h"

bool OverwriteBlocks(qint64 size, qint64 blockSize, const BlockWrite &write)
{
    if (blockSize <= 0)
        return false;
    const qint64 fullBlocks = size / blockSize;
    const qint64 rest = size % blockSize;
    qint64 offset = 0;
    for (qint64 block = 0; block < fullBlocks; ++block) {
        if (!write(offset, blockSize))
            return false;
        offset += blockSize;
    }
    if (rest > 0)
        return write(offset, rest);
    return true;
}
