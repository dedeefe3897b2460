#include "jobs/ShredJob.h"

#include "core/Prompter.h"
#include "filecipher/FileRefusalTexts.h"
#include "filetexts/NameTexts.h"
#include "jobs/FolderRunTexts.h"
#include "platform/EmptyFolderRemoval.h"
#include "platform/FileAttributes.h"
#include "platform/NameBytes.h"
#include "shred/ClearReadOnly.h"
#include "shred/OverwriteCount.h"
#include "shred/ShredTexts.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

FileOutcome fileOutcome(ShredOutcome outcome)
{
    switch (outcome) {
    case ShredOutcome::Overwritten:
    case ShredOutcome::RemovedEmpty:
        return FileOutcome::Done;
    case ShredOutcome::NotFound:
        return FileOutcome::Skipped;
    case ShredOutcome::Stopped:
        return FileOutcome::Cancelled;
    case ShredOutcome::OverwrittenNotRemoved:
    case ShredOutcome::Failed:
    case ShredOutcome::Kept:
    case ShredOutcome::Refused:
        break;
    }
    return FileOutcome::Failed;
}

bool notRegular(ShredProblem problem)
{
    return problem == ShredProblem::SymbolicLink || problem == ShredProblem::Folder ||
           problem == ShredProblem::SpecialFile || problem == ShredProblem::HardLink;
}

} // namespace

ShredJob::ShredJob(QStringList paths, std::optional<int> overwriteCount, Language language,
                   Prompter &prompter, FileJobObserver &observer)
    : m_paths(std::move(paths))
    , m_requestedCount(overwriteCount)
    , m_language(language)
    , m_prompter(prompter)
    , m_observer(observer)
{
}

void ShredJob::cancel()
{
    m_cancel = true;
}

void ShredJob::setPassObserver(ShredPassObserver afterPass)
{
    m_afterPass = std::move(afterPass);
}

void ShredJob::inform(const QString &text)
{
    m_prompter.ask(Message::dialog(MessageIcon::Information, text, MessageButtons::Ok));
}

void ShredJob::setTakeFolders(bool take, bool crossFileSystems)
{
    m_planOptions = RunPlanOptions{take, crossFileSystems};
}

ShredJobResult ShredJob::run()
{
    ShredJobResult result;
    if (m_paths.isEmpty()) {
        inform(ShredTexts::noFilesSelected(m_language));
        return result;
    }
    const RunPlan plan = planRun(m_paths, RunKind::Shred, m_planOptions);
    result.total = plan.filesToWorkOn();

    // A file with further names loses its data under those names too: the
    // question says so before anything is written. (Files of that kind in
    // a listed folder are skipped.)
    QStringList withOtherNames;
    for (const RunItem &item : plan.items) {
        if (item.inFolder || NameBytes::mayStandForOtherName(item.path))
            continue;
        const FileAttributes attributes = FileAttributes::query(item.path);
        if (attributes.kind == FileAttributes::Kind::RegularFile && attributes.links > 1)
            withOtherNames.append(QDir::toNativeSeparators(item.path));
    }
    const QString questionText =
        plan.givenFolders.isEmpty()
            ? ShredTexts::confirmation(m_language, result.total, withOtherNames)
            : FolderRunTexts::shredConfirmation(m_language, result.total, plan.bytesToWorkOn,
                                                plan.givenFolders) +
                  ShredTexts::otherNamesWarning(m_language, withOtherNames);
    const Message question =
        Message::dialog(MessageIcon::Question, questionText, MessageButtons::YesNo).asDestructive();
    if (m_prompter.ask(question) != MessageAnswer::Yes)
        return result;
    result.confirmed = true;

    if (m_requestedCount) {
        m_count = OverwriteCount::clamped(*m_requestedCount);
    } else {
        inform(ShredTexts::invalidCount(m_language));
        m_count = OverwriteCount::Default;
    }
    result.overwriteCount = m_count;
    m_runBytes = plan.bytesToWorkOn * static_cast<quint64>(2 * m_count);
    m_runBytesBefore = 0;

    QString removalReason;
    for (const RunItem &item : plan.items) {
        if (item.skip) {
            skip(item, *item.skip, result, item.detail);
            continue;
        }
        if (m_cancel) {
            result.cancelled = true;
            return result;
        }
        destroy(item, withOtherNames.contains(QDir::toNativeSeparators(item.path)), result,
                removalReason);
        if (!result.partlyOverwritten.isEmpty()) {
            result.cancelled = true;
            return result;
        }
        m_runBytesBefore += static_cast<quint64>(std::max<qint64>(item.size, 0)) *
                            static_cast<quint64>(2 * m_count);
    }
    removeEmptiedFolders(plan, result);

    if (result.refused > 0)
        inform(ShredTexts::accessDenied(m_language, result.refused));
    if (result.notRegular > 0)
        inform(ShredTexts::notRegularFiles(m_language, result.notRegular));
    if (result.unusableNames > 0)
        inform(NameTexts::filesNotDeleted(result.unusableNames, m_language));
    if (result.overwrittenNotRemoved > 0)
        inform(ShredTexts::overwrittenNotRemoved(m_language, result.overwrittenNotRemoved,
                                                 removalReason));
    if (result.changedMeanwhile > 0)
        inform(ShredTexts::changedMeanwhile(m_language, result.changedMeanwhile));
    return result;
}

void ShredJob::skip(const RunItem &item, SkipReason reason, ShredJobResult &result,
                    const QString &detail)
{
    const QString text = FolderRunTexts::skipReason(m_language, reason, detail);
    result.skipped.push_back(SkippedFile{item.path, text});
    FileReport report{item.listIndex, item.path, item.path, FileOutcome::Skipped, text};
    report.inFolder = true;
    m_observer.fileDone(report);
}

// Deepest first, so that a folder emptied of its folders goes too. The
// system removes a folder only while it is empty; what stays is named.
void ShredJob::removeEmptiedFolders(const RunPlan &plan, ShredJobResult &result)
{
    std::for_each(plan.folders.rbegin(), plan.folders.rend(), [&result](const RunFolder &folder) {
        const EmptyFolderRemoval::Report removal = EmptyFolderRemoval::removeEmpty(
            folder.start, folder.relative, folder.device, folder.inode);
        if (removal.outcome == EmptyFolderRemoval::Outcome::Removed)
            ++result.foldersRemoved;
        else
            result.foldersKept.append(folder.path);
    });
}

void ShredJob::destroy(const RunItem &item, bool otherNamesConfirmed, ShredJobResult &result,
                       QString &removalReason)
{
    const int index = item.listIndex;
    const QString &path = item.path;
    if (item.inFolder) {
        // Only the very file the walk found, through no link put in the
        // place of a folder on the way meanwhile.
        const FileAttributes now = FileAttributes::query(path);
        if (now.kind != FileAttributes::Kind::RegularFile || now.device != item.device ||
            now.inode != item.inode) {
            --result.total;
            skip(item, SkipReason::Changed, result);
            return;
        }
    }
    m_observer.fileStarted(index, path);

    // Whatever is at a name that may stand for another file may not be the
    // user's file: not even its attributes are changed.
    if (NameBytes::mayStandForOtherName(path)) {
        ++result.unusableNames;
        m_observer.fileDone(
            FileReport{index, path, path, FileOutcome::Failed,
                       FileRefusalTexts::text(FileFailure::NameNotText, m_language)});
        return;
    }

    const FileAttributes before = FileAttributes::query(path);
    ClearReadOnly(path);

    ShredPlan plan;
    plan.count = m_count;
    plan.otherNamesConfirmed = otherNamesConfirmed;
    plan.afterPass = m_afterPass;
    const quint64 share =
        static_cast<quint64>(std::max<qint64>(item.size, 0)) * static_cast<quint64>(2 * m_count);
    plan.progress = [this, share](quint64 done, quint64 total) {
        m_observer.bytesDone(done, total);
        const auto inRun = total == 0 ? share
                                      : static_cast<quint64>(static_cast<double>(done) /
                                                             static_cast<double>(total) *
                                                             static_cast<double>(share));
        m_observer.runBytesDone(m_runBytesBefore + std::min(inRun, share), m_runBytes);
    };
    plan.stopRequested = [this] { return m_cancel.load(); };
    const ShredReport shredded = OverwriteAndDelete(path, plan);

    // A file that stays keeps its read-only attribute; a file that took its
    // name meanwhile is not ours to change.
    if (!shredded.gone() && before.readOnly) {
        const FileAttributes now = FileAttributes::query(path);
        if (now.kind == FileAttributes::Kind::RegularFile && now.device == before.device &&
            now.inode == before.inode)
            FileAttributes::setReadOnly(path);
    }

    if (item.inFolder && shredded.outcome == ShredOutcome::Refused &&
        shredded.problem == ShredProblem::InUse) {
        // Another run is on it: that run's to finish, not a refusal.
        --result.total;
        skip(item, SkipReason::HeldByAnotherRun, result);
        return;
    }

    FileReport report;
    report.index = index;
    report.path = path;
    report.inFolder = item.inFolder;
    report.outcome = fileOutcome(shredded.outcome);
    report.reason = ShredTexts::problem(m_language, shredded);

    switch (shredded.outcome) {
    case ShredOutcome::Overwritten:
    case ShredOutcome::RemovedEmpty:
    case ShredOutcome::NotFound:
        ++result.done;
        break;
    case ShredOutcome::Stopped:
        result.partlyOverwritten = path;
        result.passesDone = shredded.passesDone;
        result.passes = shredded.passes;
        report.result = path;
        report.reason = ShredTexts::partlyOverwritten(m_language, QFileInfo(path).fileName(),
                                                      shredded.passesDone, shredded.passes);
        break;
    case ShredOutcome::OverwrittenNotRemoved:
        ++result.overwrittenNotRemoved;
        report.result = path;
        if (removalReason.isEmpty())
            removalReason = report.reason;
        break;
    case ShredOutcome::Kept:
        ++result.changedMeanwhile;
        if (FileAttributes::query(path).exists())
            report.result = path;
        break;
    case ShredOutcome::Failed:
    case ShredOutcome::Refused:
        if (notRegular(shredded.problem))
            ++result.notRegular;
        else
            ++result.refused;
        if (FileAttributes::query(path).exists())
            report.result = path;
        break;
    }
    m_observer.fileDone(report);
}
