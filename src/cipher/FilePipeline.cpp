#include "cipher/FilePipeline.h"

#include "cipher/EncryptRunHost.h"
#include "cipher/FileCipher.h"
#include "cipher/PipelineTexts.h"
#include "platform/Prompter.h"
#include "platform/TextTrim.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {

constexpr int PauseAfterFile = 50;

} // namespace

FilePipeline::FilePipeline(EncryptRunHost &host)
    : m_host(host)
{
}

std::optional<QString> FilePipeline::decryptedPath(const QString &encryptedPath)
{
    return FileCipher::decryptedPath(encryptedPath);
}

FileWorkOutcome FilePipeline::runWork(const std::vector<LayerStep> &layers,
                                      const std::function<void()> &afterSuccess)
{
    const QString key = m_host.keyText();
    FileWorkOutcome outcome;
    const ByteProgress progress = [this](quint64 done, quint64 total) {
        m_host.fileWorkProgress(done, total);
    };
    // Removing large files takes a while too, so it belongs to the file work.
    m_host.runFileWork([&] {
        outcome = runLayerChain(key, layers, progress);
        if (outcome.ok && afterSuccess)
            afterSuccess();
    });
    m_lastOutcome = outcome;
    return outcome;
}

FileWorkOutcome FilePipeline::runFileWork(const QString &path, bool decrypting)
{
    const QString key = m_host.keyText();
    FileWorkOutcome outcome;
    const ByteProgress progress = [this](quint64 done, quint64 total) {
        m_host.fileWorkProgress(done, total);
    };
    m_host.runFileWork([&] {
        outcome = decrypting ? FileCipher::decryptFile(path, key, progress)
                             : FileCipher::encryptFile(path, key, progress);
    });
    m_lastOutcome = outcome;
    return outcome;
}

bool FilePipeline::layer(const QString &InFile, const QString &OutFile, bool UseSha1,
                         bool decrypting)
{
    const FileWorkOutcome outcome = runWork({LayerStep{InFile, OutFile, UseSha1}});
    if (outcome.ok)
        return true;
    const QString text = decrypting ? PipelineTexts::DecryptLayerError(InFile)
                                    : PipelineTexts::EncryptLayerError(InFile);
    m_host.prompter().ask(Message::dialog(MessageIcon::Error, text));
    return false;
}

bool FilePipeline::EncryptLayer(const QString &InFile, const QString &OutFile, bool UseSha1)
{
    return layer(InFile, OutFile, UseSha1, false);
}

bool FilePipeline::DecryptLayer(const QString &InFile, const QString &OutFile, bool UseSha1)
{
    return layer(InFile, OutFile, UseSha1, true);
}

void FilePipeline::reportFailure(bool decrypting)
{
    const QString text = decrypting ? PipelineTexts::DecryptLayerError(m_lastOutcome.failedInput)
                                    : PipelineTexts::EncryptLayerError(m_lastOutcome.failedInput);
    m_host.prompter().ask(Message::dialog(MessageIcon::Error, text));
    const QString caption =
        decrypting ? PipelineTexts::DecryptCaption() : PipelineTexts::EncryptCaption();
    m_host.prompter().ask(Message::box(caption, PipelineTexts::AccessDenied(m_host.language()),
                                       MessageIcon::Warning));
}

bool FilePipeline::EncryptListedFile(const QString &path, int index)
{
    if (!QFileInfo::exists(path))
        return true;
    const FileWorkOutcome outcome = runFileWork(path, false);
    if (!outcome.ok) {
        reportFailure(false);
        return false;
    }
    m_host.setEntry(index, QFileInfo(outcome.result).fileName());
    return true;
}

bool FilePipeline::DecryptListedFile(const QString &path, int index)
{
    if (!QFileInfo::exists(path))
        return true;
    const std::optional<QString> output = decryptedPath(path);
    if (!output) {
        m_lastOutcome = FileWorkOutcome{
            false, 0, path, QStringLiteral("The file name does not end in \".enc\"."), {}};
        reportFailure(true);
        return false;
    }
    const FileWorkOutcome outcome = runFileWork(path, true);
    if (!outcome.ok) {
        reportFailure(true);
        return false;
    }
    m_host.setEntry(index, QFileInfo(outcome.result).fileName());
    return true;
}

bool FilePipeline::isExistingFile(const QString &path) const
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QString FilePipeline::entryPath(const QString &folder, int index) const
{
    // The user may have shortened the list while a file was being processed.
    if (index >= m_host.entryCount())
        return QString();
    return folder + m_host.entry(index);
}

int FilePipeline::progressAfter(int index, double step) const
{
    // Nearest integer, halves to even.
    return static_cast<int>(std::nearbyint((index + 1) * step));
}

void FilePipeline::EncryptRun()
{
    const int language = m_host.language();
    m_host.ShowProgress(0, EncryptRunHost::EncryptStyle);
    const int count = m_host.entryCount();
    if (count == 0)
        return;
    if (m_host.encodedChecked()) {
        const MessageAnswer answer = m_host.prompter().ask(Message::box(
            PipelineTexts::EncryptCaption(), PipelineTexts::PossiblyEncrypted(language),
            MessageIcon::Warning, MessageButtons::YesNo));
        if (answer != MessageAnswer::Yes)
            return;
    }
    const double step = 100.0 / count;
    const QString folder = TextTrim::trimmed(m_host.folderText());
    int counter = 0;
    for (int i = 0; i < count; ++i) {
        const QString path = entryPath(folder, i);
        if (path.isEmpty() || !isExistingFile(path))
            continue;
        const bool ok = EncryptListedFile(path, i);
        if (!ok) {
            m_host.prompter().ask(Message::box(PipelineTexts::EncryptCaption(),
                                               PipelineTexts::EncryptFailed(language),
                                               MessageIcon::Error));
        }
        m_host.ShowProgress(progressAfter(i, step), EncryptRunHost::EncryptStyle);
        if (ok)
            ++counter;
        m_host.pause(PauseAfterFile);
    }
    m_host.setEncodedChecked(true);
    m_host.setResultText(QString::number(counter) + PipelineTexts::FilesEncrypted(language));
}

void FilePipeline::DecryptRun()
{
    const int language = m_host.language();
    int counter = 0;
    m_host.ShowProgress(0, EncryptRunHost::DecryptStyle);
    const int count = m_host.entryCount();
    if (count == 0)
        return;
    if (!m_host.encodedChecked()) {
        const MessageAnswer answer = m_host.prompter().ask(
            Message::box(PipelineTexts::DecryptCaption(), PipelineTexts::SureEncrypted(language),
                         MessageIcon::Warning, MessageButtons::YesNo));
        if (answer != MessageAnswer::Yes)
            return;
    }
    const double step = 100.0 / count;
    const QString folder = TextTrim::trimmed(m_host.folderText());
    for (int i = 0; i < count; ++i) {
        const QString path = entryPath(folder, i);
        if (path.isEmpty() || !isExistingFile(path))
            continue;
        // A copy of the encrypted file to fall back on: "bak" + its name.
        QString backup;
        m_host.runFileWork([&] { backup = FileCipher::makeDecryptBackup(path); });
        const bool backupMade = !backup.isEmpty();

        const bool ok = DecryptListedFile(path, i);
        if (!ok) {
            const MessageAnswer answer = m_host.prompter().ask(Message::box(
                PipelineTexts::DecryptCaption(), PipelineTexts::DecryptFailedCancel(language),
                MessageIcon::Error, MessageButtons::YesNo));
            if (answer == MessageAnswer::Yes) {
                if (backupMade)
                    m_host.runFileWork([&] { FileCipher::restoreDecryptBackup(backup, path); });
                return;
            }
        }
        m_host.ShowProgress(progressAfter(i, step), EncryptRunHost::DecryptStyle);
        if (ok)
            ++counter;
        m_host.pause(PauseAfterFile);
        if (backupMade)
            m_host.runFileWork([&] { FileCipher::removeDecryptBackup(backup); });
        m_host.setEncodedChecked(false);
    }
    m_host.setResultText(QString::number(counter) + PipelineTexts::FilesDecrypted(language));
}
