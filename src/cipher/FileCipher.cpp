#include "cipher/FileCipher.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString EncryptedSuffix = QStringLiteral(".enc");
const QString IntermediateSuffix = QStringLiteral(".ec");

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Copies through a temporary file and a rename, so that the target is
// replaced only by a complete copy and never left half written.
bool copyReplacing(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    QByteArray buffer;
    for (;;) {
        buffer = source.read(1 << 20);
        if (buffer.isEmpty())
            break;
        if (target.write(buffer) != buffer.size()) {
            target.cancelWriting();
            return false;
        }
    }
    if (source.error() != QFileDevice::NoError) {
        target.cancelWriting();
        return false;
    }
    target.setPermissions(source.permissions());
    return target.commit();
}

// The backup copy of a file about to be decrypted: "bak" + its name in its
// folder, or "bak1" + name, "bak2" + name, ... when a file of that name is
// already there, so that no file of the user's is overwritten or, later,
// deleted. The name is taken by creating the file empty; empty when no name
// could be taken.
QString reserveBackupName(const QString &folder, const QString &name)
{
    for (int number = 0; number < 1000; ++number) {
        const QString prefix =
            number == 0 ? QStringLiteral("bak") : QStringLiteral("bak%1").arg(number);
        QFile candidate(folder + prefix + name);
        if (candidate.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return candidate.fileName();
        if (!candidate.exists())
            return QString(); // not a clash: the folder takes no new files
    }
    return QString();
}

// After a file's layers succeeded: the input and the intermediate go;
// failures to delete are not reported.
void removeInputAndIntermediate(const QString &input, const QString &intermediate)
{
    if (QFileInfo::exists(input))
        QFile::remove(input);
    QFile::remove(intermediate);
}

} // namespace

namespace FileCipher {

std::optional<QString> decryptedPath(const QString &encryptedPath)
{
    if (!encryptedPath.endsWith(EncryptedSuffix, Qt::CaseInsensitive))
        return std::nullopt;
    const QString output = encryptedPath.left(encryptedPath.size() - EncryptedSuffix.size());
    if (fileNameOf(output).isEmpty())
        return std::nullopt;
    return output;
}

FileWorkOutcome encryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress)
{
    const QString intermediate = path + IntermediateSuffix;
    const QString output = path + EncryptedSuffix;
    FileWorkOutcome outcome = runLayerChain(
        keyText, {LayerStep{path, intermediate, false}, LayerStep{intermediate, output, true}},
        progress);
    // The result is on the disk once the layers are done; only then does the
    // plain file go.
    if (outcome.ok) {
        removeInputAndIntermediate(path, intermediate);
        outcome.result = output;
    }
    return outcome;
}

FileWorkOutcome decryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress)
{
    const std::optional<QString> output = decryptedPath(path);
    if (!output)
        return FileWorkOutcome{
            false, 0, path, QStringLiteral("The file name does not end in \".enc\"."), {}};
    const QString intermediate = *output + IntermediateSuffix;
    FileWorkOutcome outcome = runLayerChain(
        keyText, {LayerStep{path, intermediate, true}, LayerStep{intermediate, *output, false}},
        progress);
    if (outcome.ok) {
        removeInputAndIntermediate(path, intermediate);
        outcome.result = *output;
    }
    return outcome;
}

QString makeDecryptBackup(const QString &path)
{
    const QFileInfo info(path);
    const QString backup = reserveBackupName(info.path() + QLatin1Char('/'), info.fileName());
    if (backup.isEmpty())
        return backup;
    if (!copyReplacing(path, backup)) {
        QFile::remove(backup);
        return QString();
    }
    return backup;
}

bool restoreDecryptBackup(const QString &backup, const QString &path)
{
    return copyReplacing(backup, path);
}

void removeDecryptBackup(const QString &backup)
{
    QFile::remove(backup);
}

} // namespace FileCipher
