#include "jobs/RunPlan.h"

#include "platform/FileIdentity.h"
#include "platform/FolderWalk.h"
#include "platform/NameBytes.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

bool isPartFileName(const QString &name)
{
    return name.startsWith(QLatin1Char('.')) && name.endsWith(QLatin1String(".velmora-part"));
}

std::optional<SkipReason> skipOf(FolderWalk::Entry::Kind kind)
{
    using Kind = FolderWalk::Entry::Kind;
    switch (kind) {
    case Kind::File:
    case Kind::Folder:
        return std::nullopt;
    case Kind::Link:
        return SkipReason::Link;
    case Kind::Special:
        return SkipReason::SpecialFile;
    case Kind::FurtherNames:
        return SkipReason::FurtherNames;
    case Kind::OtherFileSystem:
        return SkipReason::OtherFileSystem;
    case Kind::NameNotText:
        return SkipReason::NameNotText;
    case Kind::Unreadable:
        break;
    }
    return SkipReason::UnreadableFolder;
}

void addFolder(RunPlan &plan, const QString &folder, int listIndex, RunKind kind,
               const RunPlanOptions &options)
{
    const FolderWalk::Result walked =
        FolderWalk::walk(folder, FolderWalk::Options{options.crossFileSystems});
    if (!walked.opened) {
        RunItem item;
        item.path = folder;
        item.listIndex = listIndex;
        item.inFolder = true;
        item.skip = SkipReason::UnreadableFolder;
        item.detail = walked.reason;
        plan.items.push_back(item);
        return;
    }
    const QString start = walked.entries.front().path;
    plan.givenFolders.append(start);
    // A result never replaces what the folder holds: a.txt.enc beside a.txt
    // may be another file of the user's than a.txt's result.
    QSet<QString> found;
    for (const FolderWalk::Entry &entry : walked.entries)
        found.insert(entry.path);
    for (const FolderWalk::Entry &entry : walked.entries) {
        if (entry.kind == FolderWalk::Entry::Kind::Folder) {
            plan.folders.push_back(
                RunFolder{start, entry.relative, entry.path, entry.device, entry.inode});
            continue;
        }
        RunItem item;
        item.path = entry.path;
        item.listIndex = listIndex;
        item.inFolder = true;
        item.device = entry.device;
        item.inode = entry.inode;
        item.size = entry.size;
        item.skip = skipOf(entry.kind);
        item.detail = entry.reason;
        if (entry.kind == FolderWalk::Entry::Kind::File) {
            const QString name = QFileInfo(entry.path).fileName();
            // Part files of an interrupted run are the run's own to remove.
            if (isPartFileName(name))
                continue;
            const bool encrypted = name.endsWith(QLatin1String(".enc"));
            const QString resultPath =
                !encrypted ? entry.path + QLatin1String(".enc") : entry.path.chopped(4);
            if (kind == RunKind::Encrypt && encrypted)
                item.skip = SkipReason::AlreadyEncrypted;
            else if (kind == RunKind::Decrypt && !encrypted)
                item.skip = SkipReason::NotEncrypted;
            else if (kind != RunKind::Shred && found.contains(resultPath))
                item.skip = SkipReason::ResultNameTaken;
        }
        if (!item.skip)
            plan.bytesToWorkOn += static_cast<quint64>(std::max<qint64>(item.size, 0));
        plan.items.push_back(item);
    }
}

} // namespace

int RunPlan::filesToWorkOn() const
{
    return static_cast<int>(
        std::count_if(items.begin(), items.end(), [](const RunItem &item) { return !item.skip; }));
}

RunPlan planRun(const QStringList &paths, RunKind kind, const RunPlanOptions &options)
{
    RunPlan plan;
    for (int index = 0; index < paths.size(); ++index) {
        const QString &path = paths.at(index);
        // A name that may stand for another is left to the run, which
        // refuses it untouched.
        if (options.takeFolders && !NameBytes::mayStandForOtherName(path) &&
            FileIdentity::ofPath(path).kind == FileIdentity::Kind::Folder) {
            addFolder(plan, path, index, kind, options);
            continue;
        }
        RunItem item;
        item.path = path;
        item.listIndex = index;
        const FileIdentity identity = FileIdentity::ofPath(path);
        if (identity.kind == FileIdentity::Kind::RegularFile) {
            item.size = identity.size;
            plan.bytesToWorkOn += static_cast<quint64>(std::max<qint64>(identity.size, 0));
        }
        plan.items.push_back(item);
    }
    return plan;
}
