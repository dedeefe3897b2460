#include "jobs/ShredJob.h"

#include "core/Prompter.h"
#include "filecipher/FileRefusalTexts.h"
#include "filetexts/NameTexts.h"
#include "platform/FileAttributes.h"
#include "platform/NameBytes.h"
#include "shred/ClearReadOnly.h"
#include "shred/OverwriteCount.h"
#include "shred/ShredTexts.h"

#include <QDir>
#include <QFileInfo>

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

ShredJobResult ShredJob::run()
{
    ShredJobResult result;
    result.total = static_cast<int>(m_paths.size());
    if (result.total == 0) {
        inform(ShredTexts::noFilesSelected(m_language));
        return result;
    }

    // A file with further names loses its data under those names too: the
    // question says so before anything is written.
    QStringList withOtherNames;
    for (const QString &path : std::as_const(m_paths)) {
        if (NameBytes::mayStandForOtherName(path))
            continue;
        const FileAttributes attributes = FileAttributes::query(path);
        if (attributes.kind == FileAttributes::Kind::RegularFile && attributes.links > 1)
            withOtherNames.append(QDir::toNativeSeparators(path));
    }
    const Message question = Message::dialog(
        MessageIcon::Question, ShredTexts::confirmation(m_language, result.total, withOtherNames),
        MessageButtons::YesNo);
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

    QString removalReason;
    for (int i = 0; i < result.total; ++i) {
        if (m_cancel) {
            result.cancelled = true;
            return result;
        }
        const QString &path = m_paths.at(i);
        destroy(i, path, withOtherNames.contains(QDir::toNativeSeparators(path)), result,
                removalReason);
        if (!result.partlyOverwritten.isEmpty()) {
            result.cancelled = true;
            return result;
        }
    }

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

void ShredJob::destroy(int index, const QString &path, bool otherNamesConfirmed,
                       ShredJobResult &result, QString &removalReason)
{
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
    plan.progress = [this](quint64 done, quint64 total) { m_observer.bytesDone(done, total); };
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

    FileReport report;
    report.index = index;
    report.path = path;
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
