#include "jobs/EncryptJob.h"

#include "cipher/FileCipher.h"
#include "cipher/PipelineTexts.h"
#include "platform/Prompter.h"

#include <QFileInfo>

#include <utility>

EncryptJob::EncryptJob(QString keyText, QStringList paths, EncryptJobOptions options,
                       FileJobObserver &observer, Prompter &prompter)
    : m_keyText(std::move(keyText))
    , m_paths(std::move(paths))
    , m_options(options)
    , m_observer(observer)
    , m_prompter(prompter)
{
}

EncryptJobSummary EncryptJob::run()
{
    m_summary = EncryptJobSummary{};
    if (m_paths.isEmpty() || !confirmStart())
        return m_summary;
    m_summary.started = true;
    for (int index = 0; index < m_paths.size(); ++index) {
        if (m_cancelled) {
            m_summary.stoppedEarly = true;
            reportRemainingAsCancelled(index);
            break;
        }
        const QString &path = m_paths.at(index);
        const QFileInfo info(path);
        if (!info.exists() || info.isDir()) {
            m_observer.fileDone(FileReport{index, path, path, FileOutcome::Skipped,
                                           info.exists() ? QStringLiteral("is a folder")
                                                         : QStringLiteral("no such file")});
            continue;
        }
        if (!workOn(index, path)) {
            m_summary.stoppedEarly = true;
            m_summary.stoppedAfterFailure = true;
            reportRemainingAsCancelled(index + 1);
            break;
        }
    }
    return m_summary;
}

bool EncryptJob::confirmStart()
{
    const int language = storedLanguage(m_options.language);
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

bool EncryptJob::workOn(int index, const QString &path)
{
    const bool askAfterFailure = m_options.afterFailure == AfterFailure::Ask;
    const int language = storedLanguage(m_options.language);
    m_observer.fileStarted(index, path);
    const ByteProgress progress = [this](quint64 done, quint64 total) {
        m_observer.bytesDone(done, total);
    };

    // A copy of the encrypted file to fall back on when the user cancels
    // after a failure: "bak" + its name.
    QString backup;
    if (decrypting() && askAfterFailure)
        backup = FileCipher::makeDecryptBackup(path);

    const FileWorkOutcome outcome = decrypting()
                                        ? FileCipher::decryptFile(path, m_keyText, progress)
                                        : FileCipher::encryptFile(path, m_keyText, progress);
    FileReport report{index, path, path, FileOutcome::Done, QString()};
    bool goOn = true;
    if (outcome.ok) {
        ++m_summary.done;
        report.result = outcome.result;
    } else {
        ++m_summary.failed;
        report.outcome = FileOutcome::Failed;
        report.reason = outcome.reason;
        reportFailure(outcome.failedInput);
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

void EncryptJob::reportFailure(const QString &failedInput)
{
    const QString text = decrypting() ? PipelineTexts::DecryptLayerError(failedInput)
                                      : PipelineTexts::EncryptLayerError(failedInput);
    m_prompter.ask(Message::dialog(MessageIcon::Error, text));
    const QString caption =
        decrypting() ? PipelineTexts::DecryptCaption() : PipelineTexts::EncryptCaption();
    m_prompter.ask(Message::box(caption,
                                PipelineTexts::AccessDenied(storedLanguage(m_options.language)),
                                MessageIcon::Warning));
}

void EncryptJob::reportRemainingAsCancelled(int from)
{
    for (int index = from; index < m_paths.size(); ++index) {
        const QString &path = m_paths.at(index);
        m_observer.fileDone(FileReport{index, path, path, FileOutcome::Cancelled, QString()});
    }
}
