#include "platform/FolderCopy.h"

#include "platform/SafeOpen.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace FolderCopy {

std::optional<QStringList> listFiles(const QString &folder, FileProblem *problem)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        if (problem)
            *problem = FileProblem::of(FileProblem::Kind::NoFolder, folder);
        return std::nullopt;
    }
    // Without QDir::Hidden and QDir::System: no dot files, no special files.
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

bool copyReplacing(const QString &source, const QString &target, FileProblem *problem)
{
    return copyBounded(source, target, CopyBounds{}, nullptr, problem) == CopyEnd::Copied;
}

CopyEnd copyBounded(const QString &source, const QString &target, const CopyBounds &bounds,
                    qint64 *copied, FileProblem *problem)
{
    qint64 total = 0;
    if (copied)
        *copied = 0;
    const auto stopped = [&] { return bounds.stopRequested && bounds.stopRequested(); };
    std::optional<SafeOpen::ReadHandle> in = SafeOpen::openForReading(source, problem);
    if (!in)
        return CopyEnd::Failed;
    // Discarded on every way out but the commit.
    SafeOpen::Replacement out;
    if (!out.begin(target, problem))
        return CopyEnd::Failed;
    char block[65536];
    for (;;) {
        if (stopped())
            return CopyEnd::Stopped;
        const qint64 got = in->read(block, sizeof block);
        if (got < 0) {
            if (problem)
                *problem = FileProblem::system(source, errno);
            return CopyEnd::Failed;
        }
        if (got == 0)
            break;
        total += got;
        if (copied)
            *copied = total;
        if (bounds.maxBytes >= 0 && total > bounds.maxBytes) {
            if (problem)
                *problem = FileProblem::of(FileProblem::Kind::TooLarge, source);
            return CopyEnd::Failed;
        }
        if (!out.write(QByteArrayView(block, got), problem))
            return CopyEnd::Failed;
    }
    if (stopped())
        return CopyEnd::Stopped;
    return out.commit(problem) ? CopyEnd::Copied : CopyEnd::Failed;
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
