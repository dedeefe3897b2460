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
    std::optional<SafeOpen::ReadHandle> in = SafeOpen::openForReading(source, problem);
    if (!in)
        return false;
    SafeOpen::Replacement out;
    if (!out.begin(target, problem))
        return false;
    char block[65536];
    for (;;) {
        const qint64 got = in->read(block, sizeof block);
        if (got < 0) {
            if (problem)
                *problem = FileProblem::system(source, errno);
            return false;
        }
        if (got == 0)
            break;
        if (!out.write(QByteArrayView(block, got), problem))
            return false;
    }
    return out.commit(problem);
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
