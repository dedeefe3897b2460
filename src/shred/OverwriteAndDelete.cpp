#include "shred/OverwriteAndDelete.h"

#include "platform/ExclusiveFile.h"
#include "platform/FileAttributes.h"
#include "shred/OverwriteBlocks.h"
#include "shred/OverwriteCount.h"
#include "shred/ShredError.h"

#include <cstring>
#include <vector>

namespace {

void removeOrRaise(const QString &path, const QString &what)
{
    QString error;
    if (!FileAttributes::remove(path, &error))
        throw EShredError(what + QStringLiteral(", but could not be removed: ") + error);
}

} // namespace

unsigned char ShredPassByte(int pass)
{
    return pass % 2 == 0 ? 0x3E : 0xC1;
}

ShredOutcome OverwriteAndDelete(const QString &path, int count, const ShredPassObserver &afterPass)
{
    const FileAttributes attributes = FileAttributes::query(path);
    switch (attributes.kind) {
    case FileAttributes::Kind::Missing:
        return ShredOutcome::NotFound;
    case FileAttributes::Kind::Unreadable:
        // Without its size nothing can be overwritten; removing it anyway would
        // leave its content on the disk.
        throw EShredError(QStringLiteral("cannot read its attributes: ") + attributes.errorText);
    case FileAttributes::Kind::Folder:
        throw EShredError(QStringLiteral("is a folder"));
    case FileAttributes::Kind::Other:
        throw EShredError(QStringLiteral("not a regular file"));
    case FileAttributes::Kind::Link:
        removeOrRaise(path, QStringLiteral("a link"));
        return ShredOutcome::RemovedLink;
    case FileAttributes::Kind::RegularFile:
        break;
    }

    if (attributes.size <= 0) {
        removeOrRaise(path, QStringLiteral("empty"));
        return ShredOutcome::RemovedEmpty;
    }

    ExclusiveFile file;
    if (!file.open(path, attributes)) {
        if (file.failure() == ExclusiveFile::Failure::NotFound)
            return ShredOutcome::NotFound;
        throw EShredError(QStringLiteral("cannot open: ") + file.errorText());
    }

    const qint64 size = file.size();
    const int passes = 2 * OverwriteCount::clamped(count);
    QString writeError;
    {
        std::vector<char> block(static_cast<size_t>(qBound<qint64>(1, size, ShredBlockSize)));
        for (int pass = passes; pass >= 1; --pass) {
            const unsigned char passByte = ShredPassByte(pass);
            std::memset(block.data(), passByte, block.size());
            const bool written =
                OverwriteBlocks(size, ShredBlockSize, [&](qint64 offset, qint64 length) {
                    return file.writeAt(offset, block.data(), length);
                });
            if (!written || !file.flushToDisk()) {
                writeError = file.errorText();
                break;
            }
            if (afterPass)
                afterPass(pass, passByte);
        }
    }
    if (!file.close() && writeError.isEmpty())
        writeError = file.errorText();

    if (!writeError.isEmpty()) {
        // The content is partly destroyed; the file goes all the same.
        QString removeError;
        const bool removed = FileAttributes::remove(path, &removeError);
        throw EShredError(
            QStringLiteral("overwriting failed: ") + writeError +
            (removed ? QStringLiteral("; the file was removed")
                     : QStringLiteral("; the file could not be removed either: ") + removeError));
    }
    removeOrRaise(path, QStringLiteral("overwritten"));
    return ShredOutcome::Overwritten;
}
