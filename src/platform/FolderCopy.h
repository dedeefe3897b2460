#pragma once

#include "platform/FileProblem.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The file copies of the data-folder backup.
namespace FolderCopy {

// Names of the files that lie directly in folder, sorted: no subfolders, no
// hidden files (on Linux and macOS those whose name starts with "."), no
// devices, pipes or sockets. Nothing, with the reason (Kind::NoFolder when
// there is no such folder), when the folder cannot be listed.
std::optional<QStringList> listFiles(const QString &folder, FileProblem *problem = nullptr);

// Copies source over target, replacing it whole: the content goes to a new
// file created exclusively next to target, which is flushed and renamed over
// it, so a failed copy leaves an older target as it was and a link at target
// is replaced, never written through. Only a regular source is read: a link,
// pipe, socket or device is refused without waiting on it. The copy is
// readable by its owner only (the data folder's files hold the personal key).
// The content is streamed, never read whole into memory.
bool copyReplacing(const QString &source, const QString &target, FileProblem *problem = nullptr);

// What a bounded copy may do.
struct CopyBounds
{
    // The copy fails as Kind::TooLarge (for the source) once the source has
    // given more bytes than this, whatever size it claimed; -1: no limit.
    qint64 maxBytes = -1;
    // Asked between blocks and before the copy is put in place; true stops
    // the copy.
    std::function<bool()> stopRequested;
};

enum class CopyEnd {
    Copied,
    Failed,  // problem says why
    Stopped, // stopRequested said so
};

// copyReplacing within bounds. A copy that fails or stops leaves no new file
// behind and target as it was. copied, when given, gets the bytes read.
CopyEnd copyBounded(const QString &source, const QString &target, const CopyBounds &bounds,
                    qint64 *copied = nullptr, FileProblem *problem = nullptr);

// Copies each named file of fromFolder that still exists into toFolder; both
// end with a delimiter. Returns the number of successful copies; a failed copy
// is skipped.
int copyListed(const QString &fromFolder, const QStringList &names, const QString &toFolder);

// folder with the platform's path delimiter appended when it has none.
QString withTrailingDelimiter(const QString &folder);

} // namespace FolderCopy
