#include "jobs/EncryptJob.h"

#include "core/Prompter.h"
#include "filecipher/AgeFileCipher.h"
#include "filecipher/FileCipher.h"
#include "filecipher/PipelineTexts.h"
#include "filecipher/ResultTypeCheck.h"
#include "filecipher/StrongFormatTexts.h"
#include "jobs/FolderRunTexts.h"
#include "jobs/OriginalOverwriteTexts.h"
#include "jobs/PartFileTexts.h"
#include "platform/FileIdentity.h"
#include "platform/NameBytes.h"
#include "platform/PartFileLeftovers.h"
#include "shred/OverwriteCount.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

EncryptJob::EncryptJob(QString keyText, QStringList paths, EncryptJobOptions options,
                       FileJobObserver &observer, Prompter &prompter)
    : m_keyText(std::move(keyText))
    , m_paths(std::move(paths))
    , m_options(std::move(options))
    , m_observer(observer)
    , m_prompter(prompter)
{
}

EncryptJobSummary EncryptJob::run()
{
    m_summary = EncryptJobSummary{};
    m_stoppedInFile = false;
    m_foldersLookedAt.clear();
    m_runBytesBefore = 0;
    if (m_paths.isEmpty() || !confirmStart())
        return m_summary;
    m_summary.started = true;
    m_plan = planRun(m_paths, decrypting() ? RunKind::Decrypt : RunKind::Encrypt,
                     RunPlanOptions{m_options.takeFolders, m_options.crossFileSystems});
    for (std::size_t position = 0; position < m_plan.items.size(); ++position) {
        const RunItem &item = m_plan.items.at(position);
        if (item.skip) {
            skip(item, *item.skip, item.detail);
            continue;
        }
        if (stopping()) {
            m_summary.stoppedEarly = true;
            reportRemainingAsCancelled(position);
            break;
        }
        const QString &path = item.path;
        // A name that may stand for another file is not looked at further:
        // whatever is at it may be another file than the user's.
        const bool nameUsable = !NameBytes::mayStandForOtherName(path);
        if (item.inFolder) {
            // Only the very file the walk found, through no link put in the
            // place of a folder on the way meanwhile.
            const FileIdentity now = FileIdentity::ofPath(path);
            if (now.kind != FileIdentity::Kind::RegularFile || now.device != item.device ||
                now.inode != item.inode) {
                skip(item, SkipReason::Changed);
                m_runBytesBefore += static_cast<quint64>(std::max<qint64>(item.size, 0));
                continue;
            }
        } else {
            const QFileInfo info(path);
            if (nameUsable && (!info.exists() || info.isDir())) {
                m_observer.fileDone(FileReport{item.listIndex, path, path, FileOutcome::Skipped,
                                               info.exists() ? QStringLiteral("is a folder")
                                                             : QStringLiteral("no such file")});
                continue;
            }
        }
        if (!workOn(item, nameUsable)) {
            m_summary.stoppedEarly = true;
            m_summary.stoppedAfterFailure = !m_stoppedInFile;
            reportRemainingAsCancelled(position + 1);
            break;
        }
        m_runBytesBefore += static_cast<quint64>(std::max<qint64>(item.size, 0));
    }
    if (!m_summary.originalsNotOverwritten.empty()) {
        m_prompter.ask(Message::box(PipelineTexts::EncryptCaption(),
                                    OriginalOverwriteTexts::notOverwritten(
                                        m_options.language, m_summary.originalsNotOverwritten),
                                    MessageIcon::Warning));
    }
    return m_summary;
}

void EncryptJob::skip(const RunItem &item, SkipReason reason, const QString &detail)
{
    const QString text = FolderRunTexts::skipReason(m_options.language, reason, detail);
    m_summary.skipped.push_back(SkippedFile{item.path, text});
    FileReport report{item.listIndex, item.path, item.path, FileOutcome::Skipped, text};
    report.inFolder = true;
    m_observer.fileDone(report);
}

void EncryptJob::reportRunBytes(quint64 doneInFile, quint64 totalInFile)
{
    const auto share = static_cast<quint64>(std::max<qint64>(m_fileShare, 0));
    const quint64 done = totalInFile == 0 ? 0
                                          : static_cast<quint64>(static_cast<double>(doneInFile) /
                                                                 static_cast<double>(totalInFile) *
                                                                 static_cast<double>(share));
    m_observer.runBytesDone(m_runBytesBefore + std::min(done, share), m_plan.bytesToWorkOn);
}

bool EncryptJob::confirmStart()
{
    const Language language = m_options.language;
    if (decrypting() && !m_options.markedEncrypted) {
        return m_prompter.ask(Message::box(
                   PipelineTexts::DecryptCaption(), PipelineTexts::SureEncrypted(language),
                   MessageIcon::Warning, MessageButtons::YesNo)) == MessageAnswer::Yes;
    }
    if (!decrypting() && m_options.markedEncrypted) {
        return m_prompter.ask(Message::box(
                   PipelineTexts::EncryptCaption(), PipelineTexts::PossiblyEncrypted(language),
                   MessageIcon::Warning, MessageButtons::YesNo)) == MessageAnswer::Yes;
    }
    return true;
}

bool EncryptJob::stopNowAsked() const
{
    return m_options.stopNow && m_options.stopNow();
}

bool EncryptJob::stopping() const
{
    return m_cancelled || stopNowAsked();
}

void EncryptJob::removeLeftoversBeside(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!m_foldersLookedAt.insert(folder).second)
        return;
    const QStringList removed = PartFileLeftovers::removeFrom(folder);
    if (removed.isEmpty())
        return;
    m_prompter.ask(Message::box(
        decrypting() ? PipelineTexts::DecryptCaption() : PipelineTexts::EncryptCaption(),
        PartFileTexts::LeftoversRemoved(m_options.language, folder, removed),
        MessageIcon::Information));
}

bool EncryptJob::workOn(const RunItem &item, bool nameUsable)
{
    const int index = item.listIndex;
    const QString &path = item.path;
    m_fileShare = item.size;
    const bool askAfterFailure = m_options.afterFailure == AfterFailure::Ask;
    const Language language = m_options.language;
    removeLeftoversBeside(path);
    m_observer.fileStarted(index, path);
    // The file's work in bytes: the result's, then each pass over the original.
    const auto passes = static_cast<quint64>(originalPasses());
    const ByteProgress progress = [this, passes](quint64 done, quint64 total) {
        const quint64 all = total + total * passes;
        m_observer.bytesDone(done, all);
        reportRunBytes(done, all);
    };
    const bool ageInput = nameUsable && decrypting() && AgeFileCipher::isAgeFile(path);

    // A copy of the encrypted file to fall back on when the user cancels
    // after a failure: "bak" + its name. The strong format never touches
    // the encrypted file before the result is complete, and a second name
    // would make it refuse the file.
    QString backup;
    if (decrypting() && askAfterFailure && !ageInput && nameUsable)
        backup = FileCipher::makeDecryptBackup(path);

    OriginalShred original;
    const FileWorkOutcome outcome =
        nameUsable ? workOnFile(path, ageInput, progress, originalDisposal(original))
                   : FileWorkOutcome::refused(path, FileFailure::NameNotText);
    FileReport report{index, path, path, FileOutcome::Done, QString()};
    report.inFolder = item.inFolder;
    bool goOn = true;
    if (outcome.ok) {
        reportRunBytes(1, 1);
        ++m_summary.done;
        report.result = outcome.result;
        if (original.report && !original.report->gone())
            noteOriginalNotOverwritten(path, original);
    } else if (outcome.failure == FileFailure::Cancelled) {
        report.outcome = FileOutcome::Cancelled;
        m_stoppedInFile = true;
        goOn = false;
    } else if (outcome.failure == FileFailure::InUse && item.inFolder) {
        // Another run is on it: that run's to finish, not a failure of this one.
        if (!backup.isEmpty())
            FileCipher::removeDecryptBackup(backup);
        skip(item, SkipReason::HeldByAnotherRun);
        return true;
    } else if (outcome.failure == FileFailure::ResultDoesNotFit) {
        // Already told or asked about; the encrypted file is as it was.
        ++m_summary.failed;
        report.outcome = FileOutcome::Failed;
        report.reason = outcome.reason;
    } else {
        ++m_summary.failed;
        report.outcome = FileOutcome::Failed;
        report.reason = outcome.reason;
        reportFailure(outcome);
        if (askAfterFailure && decrypting()) {
            const MessageAnswer answer = m_prompter.ask(Message::box(
                PipelineTexts::DecryptCaption(), PipelineTexts::DecryptFailedCancel(language),
                MessageIcon::Error, MessageButtons::YesNo));
            if (answer == MessageAnswer::Yes) {
                // The copy stays beside the file as the user's fallback.
                if (!backup.isEmpty())
                    FileCipher::restoreDecryptBackup(backup, path);
                backup.clear();
                goOn = false;
            }
        } else if (askAfterFailure) {
            m_prompter.ask(Message::box(PipelineTexts::EncryptCaption(),
                                        PipelineTexts::EncryptFailed(language),
                                        MessageIcon::Error));
        }
    }
    if (!backup.isEmpty())
        FileCipher::removeDecryptBackup(backup);
    m_observer.fileDone(report);
    return goOn;
}

int EncryptJob::originalPasses() const
{
    return m_options.overwriteOriginals && !decrypting() ? 2 * OverwriteCount::Default : 0;
}

DisposeInput EncryptJob::originalDisposal(OriginalShred &shred)
{
    if (originalPasses() == 0)
        return {};
    return [this, &shred](const QString &original, const FileIdentity &identity) {
        ShredPlan plan;
        plan.count = OverwriteCount::Default;
        plan.afterPass = m_options.originalPassObserver;
        // The passes follow the result's bytes in the file's share. No stop
        // between passes: the result is in place, and an original left
        // partly overwritten under its name would help nobody.
        plan.progress = [this](quint64 done, quint64 total) {
            const quint64 length = total / static_cast<quint64>(originalPasses());
            m_observer.bytesDone(length + done, length + total);
            reportRunBytes(length + done, length + total);
        };
        shred.identity = identity;
        shred.report = OverwriteAndDeleteHeld(original, identity, plan);
        return shred.report->gone();
    };
}

void EncryptJob::noteOriginalNotOverwritten(const QString &path, const OriginalShred &shred)
{
    const bool stillAtName = FileIdentity::ofPath(path).sameFile(shred.identity);
    m_summary.originalsNotOverwritten.push_back(SkippedFile{
        path, OriginalOverwriteTexts::problem(m_options.language, *shred.report, stillAtName)});
}

FileWorkOutcome EncryptJob::workOnFile(const QString &path, bool ageInput,
                                       const ByteProgress &progress,
                                       const DisposeInput &disposeOriginal)
{
    // The strong format stops inside the file on either request; the
    // compatible one finishes its file unless it is to stop now.
    const AgeFileCipher::CancelCheck cancelled = [this] { return stopping(); };
    const CancelCheck stopNow = [this] { return stopNowAsked(); };
    if (ageInput)
        return AgeFileCipher::decryptFile(path, m_keyText, progress, cancelled);
    if (decrypting()) {
        const AcceptResult accept = [this](const QString &resultTempPath,
                                           const QString &finalName) {
            return acceptResult(resultTempPath, finalName);
        };
        return FileCipher::decryptFile(path, m_keyText, progress, accept, stopNow);
    }
    if (m_options.format == FileFormat::Age)
        return AgeFileCipher::encryptFile(path, m_keyText, progress, m_options.ageWorkFactor,
                                          cancelled, disposeOriginal);
    return FileCipher::encryptFile(path, m_keyText, progress, stopNow, disposeOriginal);
}

bool EncryptJob::acceptResult(const QString &resultTempPath, const QString &finalName)
{
    if (ResultTypeCheck::resultFitsName(resultTempPath, finalName) != ContentFit::DoesNotFit)
        return true;
    const QString doesNotFit = finalName + QStringLiteral(": ") +
                               StrongFormatTexts::KeyDoesNotSeemToFit(m_options.language);
    switch (m_options.unfitResult) {
    case UnfitResult::Refuse:
        return false;
    case UnfitResult::Keep:
        m_prompter.ask(
            Message::box(PipelineTexts::DecryptCaption(), doesNotFit, MessageIcon::Warning));
        return true;
    case UnfitResult::Ask:
        break;
    }
    const QString question = doesNotFit + QStringLiteral(".\n") +
                             StrongFormatTexts::KeepResultAnyway(m_options.language);
    return m_prompter.ask(Message::box(PipelineTexts::DecryptCaption(), question,
                                       MessageIcon::Warning, MessageButtons::YesNo)) ==
           MessageAnswer::Yes;
}

// The file's own error, then why: "Access denied!" where access was denied,
// else the heading of the failure's kind.
void EncryptJob::reportFailure(const FileWorkOutcome &outcome)
{
    const QString text = decrypting() ? PipelineTexts::DecryptLayerError(outcome.failedInput)
                                      : PipelineTexts::EncryptLayerError(outcome.failedInput);
    m_prompter.ask(Message::dialog(MessageIcon::Error, text));
    const QString caption =
        decrypting() ? PipelineTexts::DecryptCaption() : PipelineTexts::EncryptCaption();
    m_prompter.ask(Message::box(caption,
                                PipelineTexts::FailureHeading(outcome.failure, m_options.language),
                                MessageIcon::Warning));
}

void EncryptJob::reportRemainingAsCancelled(std::size_t from)
{
    for (std::size_t position = from; position < m_plan.items.size(); ++position) {
        const RunItem &item = m_plan.items.at(position);
        if (item.skip) {
            skip(item, *item.skip, item.detail);
            continue;
        }
        FileReport report{item.listIndex, item.path, item.path, FileOutcome::Cancelled, QString()};
        report.inFolder = item.inFolder;
        m_observer.fileDone(report);
    }
}
