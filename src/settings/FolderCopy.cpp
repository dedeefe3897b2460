#include "settings/FolderCopy.h"

#include "platform/FileSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace FolderCopy {

std::optional<QStringList> listFiles(const QString &folder, QString *error)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        if (error)
            *error = QStringLiteral("The folder %1 cannot be found.").arg(QDir::toNativeSeparators(folder));
        return std::nullopt;
    }
    // Without QDir::Hidden and QDir::System: no dot files, no special files.
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

bool copyReplacing(const QString &source, const QString &target, QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (QFileInfo(target).isDir())
        return fail(QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(target)));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(source), in.errorString()));
    QSaveFile out(target);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), out.errorString()));
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    char block[65536];
    for (;;) {
        const qint64 got = in.read(block, sizeof block);
        if (got < 0 || (got > 0 && out.write(block, got) != got)) {
            const QString reason = got < 0 ? in.errorString() : out.errorString();
            out.cancelWriting();
            out.commit();
            return fail(reason);
        }
        if (got == 0)
            break;
    }
    if (!FileSync::flushToDisk(out)) {
        out.cancelWriting();
        out.commit();
        return fail(QStringLiteral("%1: the copy could not be flushed to the disk")
                        .arg(QDir::toNativeSeparators(target)));
    }
    if (!out.commit())
        return fail(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), out.errorString()));
    return true;
}

int copyListed(const QString &fromFolder, const QStringList &names, const QString &toFolder)
{
    int count = 0;
    for (const QString &name : names) {
        const QString source = fromFolder + name;
        if (!QFileInfo(source).isFile())
            continue;
        if (copyReplacing(source, toFolder + name))
            ++count;
    }
    return count;
}

QString withTrailingDelimiter(const QString &folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator()))
        return folder;
    return folder + QDir::separator();
}

} // namespace FolderCopy
