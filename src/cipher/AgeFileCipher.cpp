#include "cipher/AgeFileCipher.h"

#include "age/AgeKeys.h"
#include "cipher/FileRefusalTexts.h"
#include "platform/FileSync.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <optional>

namespace {

using Failure = AgeFileOutcome::Failure;

const QString EncryptedSuffix = QStringLiteral(".enc");

// The longest file name most file systems take, in bytes.
constexpr qsizetype longestFileName = 255;
constexpr int temporaryNameAttempts = 16;

enum class Direction { Encrypt, Decrypt };

AgeFileOutcome failure(Failure kind, const QString &input, const QString &reason)
{
    AgeFileOutcome outcome;
    outcome.failure = kind;
    outcome.failedInput = input;
    outcome.reason = reason;
    return outcome;
}

Failure inputFailureOf(SafeFile::Failure failure)
{
    switch (failure) {
    case SafeFile::Failure::Missing:
        return Failure::Missing;
    case SafeFile::Failure::Link:
        return Failure::Link;
    case SafeFile::Failure::NotRegular:
        return Failure::NotRegularFile;
    case SafeFile::Failure::Replaced:
        return Failure::Changed;
    case SafeFile::Failure::InUse:
        return Failure::InUse;
    case SafeFile::Failure::AccessDenied:
        return Failure::AccessDenied;
    case SafeFile::Failure::None:
    case SafeFile::Failure::Exists:
    case SafeFile::Failure::Other:
        break;
    }
    return Failure::ReadFailed;
}

Failure formatFailureOf(age::Result result)
{
    switch (result) {
    case age::Result::Ok:
        return Failure::None;
    case age::Result::WrongKeyOrDamaged:
        return Failure::WrongKeyOrDamaged;
    case age::Result::ReadFailed:
        return Failure::ReadFailed;
    case age::Result::WriteFailed:
        return Failure::WriteFailed;
    case age::Result::Cancelled:
        return Failure::Cancelled;
    case age::Result::CryptoFailed:
        return Failure::CryptoFailed;
    }
    return Failure::CryptoFailed;
}

QString formatReason(age::Result result)
{
    switch (result) {
    case age::Result::Ok:
        return {};
    case age::Result::WrongKeyOrDamaged:
        return QStringLiteral("Wrong key, or the file is damaged or incomplete.");
    case age::Result::ReadFailed:
        return QStringLiteral("The file could not be read.");
    case age::Result::WriteFailed:
        return QStringLiteral("The result could not be written.");
    case age::Result::Cancelled:
        return QStringLiteral("Cancelled.");
    case age::Result::CryptoFailed:
        return QStringLiteral("The cryptography library refused (out of memory?).");
    }
    return {};
}

// Whatever has the result's name may be replaced as an entry when it is a
// regular file or a link; a folder, pipe, socket or device is not ours to
// replace.
bool resultNameReplaceable(const QString &result)
{
    SafeFile::Failure failure = SafeFile::Failure::None;
    const std::optional<SafeFile::Identity> there = SafeFile::identityAt(result, &failure);
    if (!there)
        return failure == SafeFile::Failure::Missing;
    return there->regular || SafeFile::isLink(result);
}

// A new file beside the result, created exclusively: the result's name with
// a random part and ".part" appended, or a short name when that would be
// too long for the file system.
SafeFile createTemporary(const QString &result, QString &temporaryPath)
{
    const QFileInfo info(result);
    SafeFile file;
    for (int attempt = 0; attempt < temporaryNameAttempts; ++attempt) {
        const QString random = QString::number(QRandomGenerator::system()->generate(), 16);
        QString name = info.fileName() + QLatin1Char('.') + random + QStringLiteral(".part");
        if (QFile::encodeName(name).size() > longestFileName)
            name = QStringLiteral("velmora-") + random + QStringLiteral(".part");
        temporaryPath = info.absolutePath() + QLatin1Char('/') + name;
        file = SafeFile::createExclusive(temporaryPath);
        if (file.isOpen() || file.failure() != SafeFile::Failure::Exists)
            break;
    }
    if (!file.isOpen())
        temporaryPath.clear();
    return file;
}

// True while the input is the file opened at the start, unchanged, and the
// path still names it.
bool inputUnchanged(const SafeFile &input, const QString &path, const SafeFile::Identity &before)
{
    const std::optional<SafeFile::Identity> open = input.identity();
    const std::optional<SafeFile::Identity> named = SafeFile::identityAt(path);
    return open && named && open->sameContent(before) && named->sameContent(before);
}

age::Result runFormat(Direction direction, QFile &in, QFile &out, const QString &keyText,
                      const age::Progress &progress, int workFactor)
{
    QByteArray passphrase = keyText.toUtf8();
    const age::Result result = direction == Direction::Encrypt
                                   ? age::encrypt(in, out, passphrase, progress, workFactor)
                                   : age::decrypt(in, out, passphrase, progress);
    age::wipe(passphrase);
    return result;
}

AgeFileOutcome run(Direction direction, const QString &path, const QString &result,
                   const QString &keyText, const ByteProgress &progress, int workFactor,
                   const AgeFileCipher::CancelCheck &cancelled)
{
    SafeFile input = SafeFile::openForReading(path, true);
    if (!input.isOpen())
        return failure(inputFailureOf(input.failure()), path, input.errorText());
    const std::optional<SafeFile::Identity> before = input.identity();
    if (!before)
        return failure(Failure::ReadFailed, path, QStringLiteral("The file could not be read."));
    if (before->links != 1)
        return failure(Failure::MultiplyLinked, path,
                       QStringLiteral("The file has more than one name (hard links)."));
    if (!resultNameReplaceable(result))
        return failure(Failure::ResultBlocked, path,
                       QStringLiteral("Something other than a file has the name ") + result);

    QString temporaryPath;
    SafeFile temporary = createTemporary(result, temporaryPath);
    if (!temporary.isOpen()) {
        const Failure kind = temporary.failure() == SafeFile::Failure::AccessDenied
                                 ? Failure::AccessDenied
                                 : Failure::WriteFailed;
        return failure(kind, path,
                       QStringLiteral("No new file could be created beside ") + result + ": " +
                           temporary.errorText());
    }
    // From here on every way out but success removes the temporary file.
    const auto discard = [&](Failure kind, const QString &reason) {
        temporary.close();
        SafeFile::removeEntry(temporaryPath);
        return failure(kind, path, reason);
    };

    const quint64 total = quint64(before->size);
    if (progress)
        progress(0, total);
    age::Progress formatProgress;
    if (progress)
        formatProgress.bytesDone = [&progress, total](quint64 done) { progress(done, total); };
    formatProgress.cancelled = cancelled;

    age::Result formatResult = age::Result::Ok;
    {
        QFile in;
        QFile out;
        if (!in.open(input.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle) ||
            !out.open(temporary.descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return discard(Failure::ReadFailed, in.errorString());
        formatResult = runFormat(direction, in, out, keyText, formatProgress, workFactor);
        if (formatResult == age::Result::Ok && !out.flush())
            formatResult = age::Result::WriteFailed;
    }
    if (formatResult != age::Result::Ok)
        return discard(formatFailureOf(formatResult), formatReason(formatResult));

    if (!temporary.setPermissions(before->permissions) || !temporary.flushToDisk() ||
        !temporary.close())
        return discard(Failure::WriteFailed, QStringLiteral("The result could not be written."));
    if (!inputUnchanged(input, path, *before))
        return discard(Failure::Changed, QStringLiteral("The file changed during the work."));
    if (!resultNameReplaceable(result))
        return discard(Failure::ResultBlocked,
                       QStringLiteral("Something other than a file has the name ") + result);

    QString renameError;
    if (!SafeFile::renameOver(temporaryPath, result, &renameError))
        return discard(Failure::WriteFailed, renameError);
    const QString folder = QFileInfo(result).absolutePath();
    // Until the new name is on the disk, the original is the only safe copy.
    if (!FileSync::flushFolder(folder) || !inputUnchanged(input, path, *before)) {
        SafeFile::removeEntry(result);
        return failure(Failure::Changed, path,
                       QStringLiteral("The file changed during the work, or the folder could "
                                      "not be flushed to the disk."));
    }

    AgeFileOutcome outcome;
    outcome.result = result;
    QString removeError;
    input.close();
    if (!SafeFile::removeEntry(path, &removeError)) {
        outcome.failure = Failure::OriginalNotRemoved;
        outcome.failedInput = path;
        outcome.reason = removeError;
        return outcome;
    }
    FileSync::flushFolderOf(path);
    outcome.ok = true;
    return outcome;
}

} // namespace

namespace AgeFileCipher {

AgeFileOutcome encryptFile(const QString &path, const QString &keyText,
                           const ByteProgress &progress, int workFactor,
                           const CancelCheck &cancelled)
{
    return run(Direction::Encrypt, path, path + EncryptedSuffix, keyText, progress, workFactor,
               cancelled);
}

AgeFileOutcome decryptFile(const QString &path, const QString &keyText,
                           const ByteProgress &progress, const CancelCheck &cancelled)
{
    const QString result = path.left(path.size() - EncryptedSuffix.size());
    if (!path.endsWith(EncryptedSuffix, Qt::CaseInsensitive) ||
        QFileInfo(result).fileName().isEmpty())
        return failure(Failure::NotEncryptedName, path,
                       QStringLiteral("The file name does not end in \".enc\"."));
    return run(Direction::Decrypt, path, result, keyText, progress, age::defaultWorkFactor,
               cancelled);
}

bool isAgeFile(const QString &path)
{
    SafeFile file = SafeFile::openForReading(path);
    if (!file.isOpen())
        return false;
    QFile device;
    if (!device.open(file.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return false;
    return age::startsWithAgeHeader(device.read(age::headerLine.size() + 1));
}

FileWorkOutcome asFileWorkOutcome(const AgeFileOutcome &outcome, bool decrypting)
{
    FileWorkOutcome mapped;
    mapped.ok = outcome.ok;
    mapped.result = outcome.result;
    if (outcome.ok)
        return mapped;
    mapped.failedLayer = 0;
    mapped.failedInput = outcome.failedInput;
    mapped.detail = outcome.reason;
    switch (outcome.failure) {
    case Failure::None:
    case Failure::ReadFailed:
        mapped.failure = FileFailure::ReadFailed;
        break;
    case Failure::NotEncryptedName:
        mapped.failure = FileFailure::NotEncryptedName;
        break;
    case Failure::Missing:
        mapped.failure = FileFailure::NotFound;
        break;
    case Failure::Link:
        mapped.failure = FileFailure::IsLink;
        break;
    case Failure::NotRegularFile:
        mapped.failure = FileFailure::NotRegularFile;
        break;
    case Failure::MultiplyLinked:
        mapped.failure = FileFailure::MultipleNames;
        break;
    case Failure::InUse:
        mapped.failure = FileFailure::InUse;
        break;
    case Failure::AccessDenied:
        mapped.failure = FileFailure::AccessDenied;
        break;
    case Failure::ResultBlocked:
        mapped.failure = FileFailure::ResultNameBlocked;
        break;
    case Failure::Changed:
        mapped.failure =
            decrypting ? FileFailure::ChangedWhileDecrypted : FileFailure::ChangedWhileEncrypted;
        break;
    case Failure::WrongKeyOrDamaged:
        mapped.failure = FileFailure::WrongKeyOrDamaged;
        mapped.detail.clear(); // the words say it all
        break;
    case Failure::WriteFailed:
        mapped.failure = FileFailure::WriteFailed;
        break;
    case Failure::Cancelled:
        mapped.failure = FileFailure::Cancelled;
        mapped.detail.clear();
        break;
    case Failure::CryptoFailed:
        mapped.failure = FileFailure::CryptoFailed;
        break;
    case Failure::OriginalNotRemoved:
        mapped.failure = FileFailure::OriginalNotRemoved;
        break;
    }
    mapped.reason = FileRefusalTexts::reason(mapped.failure, Language::English, mapped.detail);
    return mapped;
}

} // namespace AgeFileCipher
