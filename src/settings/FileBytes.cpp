#include "settings/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace FileBytes {

std::optional<QByteArray> read(const QString &path, qint64 maxSize, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    auto fail = [&](const QString &reason) -> std::optional<QByteArray> {
        if (error)
            *error = QStringLiteral("%1: %2").arg(shown, reason);
        return std::nullopt;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    // Read in blocks: devices and pipes report no size up front.
    QByteArray bytes;
    char block[65536];
    for (;;) {
        const qint64 got = file.read(block, sizeof block);
        if (got < 0)
            return fail(file.errorString());
        if (got == 0)
            break;
        if (bytes.size() + got > maxSize)
            return fail(QStringLiteral("the file is larger than %1 bytes").arg(maxSize));
        bytes.append(block, got);
    }
    return bytes;
}

} // namespace FileBytes
