#include "jobs/EncryptJob.h"

#include "core/Prompter.h"
#include "filecipher/AgeFileCipher.h"
#include "filecipher/FileCipher.h"
#include "filecipher/PipelineTexts.h"
#include "filecipher/ResultTypeCheck.h"
#include "filecipher/StrongFormatTexts.h"
#include "jobs/PartFileTexts.h"
#include "platform/NameBytes.h"
#include "platform/PartFileLeftovers.h"

#include <QFileInfo>

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
    if (m_paths.isEmpty() || !confirmStart())
        return m_summary;
    m_summary.started = true;
    for (int index = 0; index < m_paths.size(); ++index) {
        if (stopping()) {
            m_summary.stoppedEarly = true;
            reportRemainingAsCancelled(index);
            break;
        }
        const QString &path = m_paths.at(index);
        // A name that may stand for another file is not looked at further:
        // whatever is at it may be another file than the user's.
        const bool nameUsable = !NameBytes::mayStandForOtherName(path);
        const QFileInfo info(path);
        if (nameUsable && (!info.exists() || info.isDir())) {
            m_observer.fileDone(FileReport{index, path, path, FileOutcome::Skipped,
                                           info.exists() ? QStringLiteral("is a folder")
                                                         : QStringLiteral("no such file")});
            continue;
        }
        if (!workOn(index, path, nameUsable)) {
            m_summary.stoppedEarly = true;
            m_summary.stoppedAfterFailure = !m_stoppedInFile;
            reportRemainingAsCancelled(index + 1);
            break;
        }
    }
    return m_summary;
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

bool EncryptJob::workOn(int index, const QString &path, bool nameUsable)
{
    const bool askAfterFailure = m_options.afterFailure == AfterFailure::Ask;
    const Language language = m_options.language;
    removeLeftoversBeside(path);
    m_observer.fileStarted(index, path);
    const ByteProgress progress = [this](quint64 done, quint64 total) {
        m_observer.bytesDone(done, total);
    };
    const bool ageInput = nameUsable && decrypting() && AgeFileCipher::isAgeFile(path);

    // A copy of the encrypted file to fall back on when the user cancels
    // after a failure: "bak" + its name. The strong format never touches
    // the encrypted file before the result is complete, and a second name
    // would make it refuse the file.
    QString backup;
    if (decrypting() && askAfterFailure && !ageInput && nameUsable)
        backup = FileCipher::makeDecryptBackup(path);

    const FileWorkOutcome outcome = nameUsable
                                        ? workOnFile(path, ageInput, progress)
                                        : FileWorkOutcome::refused(path, FileFailure::NameNotText);
    FileReport report{index, path, path, FileOutcome::Done, QString()};
    bool goOn = true;
    if (outcome.ok) {
        ++m_summary.done;
        report.result = outcome.result;
    } else if (outcome.failure == FileFailure::Cancelled) {
        report.outcome = FileOutcome::Cancelled;
        m_stoppedInFile = true;
        goOn = false;
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

FileWorkOutcome EncryptJob::workOnFile(const QString &path, bool ageInput,
                                       const ByteProgress &progress)
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
                                          cancelled);
    return FileCipher::encryptFile(path, m_keyText, progress, stopNow);
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

void EncryptJob::reportRemainingAsCancelled(int from)
{
    for (int index = from; index < m_paths.size(); ++index) {
        const QString &path = m_paths.at(index);
        m_observer.fileDone(FileReport{index, path, path, FileOutcome::Cancelled, QString()});
    }
}
