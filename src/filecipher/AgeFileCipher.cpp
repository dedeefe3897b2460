#include "filecipher/AgeFileCipher.h"

#include "age/AgeKeys.h"
#include "age/AgeRecognition.h"
#include "filecipher/FileCipher.h"
#include "platform/ExclusiveNewFile.h"
#include "platform/LockedInputFile.h"
#include "platform/SafeOpen.h"

#include <QFile>

namespace {

FileFailure failureOf(age::Result result)
{
    switch (result) {
    case age::Result::Ok:
        return FileFailure::None;
    case age::Result::WrongKeyOrDamaged:
        return FileFailure::WrongKeyOrDamaged;
    case age::Result::Damaged:
        return FileFailure::StrongFormatDamaged;
    case age::Result::UnsupportedVersion:
        return FileFailure::StrongFormatVersion;
    case age::Result::NotForPassphrase:
        return FileFailure::NotForKeyText;
    case age::Result::WorkFactorTooHigh:
        return FileFailure::WorkFactorTooHigh;
    case age::Result::ReadFailed:
        return FileFailure::ReadFailed;
    case age::Result::WriteFailed:
        return FileFailure::WriteFailed;
    case age::Result::Cancelled:
        return FileFailure::Cancelled;
    case age::Result::CryptoFailed:
        return FileFailure::CryptoFailed;
    }
    return FileFailure::CryptoFailed;
}

QString detailOf(age::Result result)
{
    switch (result) {
    case age::Result::ReadFailed:
        return QStringLiteral("The file could not be read.");
    case age::Result::WriteFailed:
        return QStringLiteral("The result could not be written.");
    case age::Result::CryptoFailed:
        return QStringLiteral("The cryptography library refused (out of memory?).");
    case age::Result::Ok:
    case age::Result::WrongKeyOrDamaged: // the failure's words say it all
    case age::Result::Damaged:
    case age::Result::UnsupportedVersion:
    case age::Result::NotForPassphrase:
    case age::Result::WorkFactorTooHigh:
    case age::Result::Cancelled:
        break;
    }
    return {};
}

enum class Direction { Encrypt, Decrypt };

FileWorkOutcome run(Direction direction, const QString &path, const QString &result,
                    const QString &keyText, const ByteProgress &progress, int workFactor,
                    const AgeFileCipher::CancelCheck &cancelled,
                    const DisposeInput &disposeInput = {})
{
    FileTransform transform;
    transform.input = path;
    transform.output = result;
    transform.decrypting = direction == Direction::Decrypt;
    transform.cancelled = cancelled;
    transform.disposeInput = disposeInput;
    transform.body = [&](LockedInputFile &input, ExclusiveNewFile &output) -> StreamEnd {
        const quint64 total = quint64(input.identity().size);
        if (progress)
            progress(0, total);
        age::Progress formatProgress;
        if (progress)
            formatProgress.bytesDone = [&progress, total](quint64 done) { progress(done, total); };
        formatProgress.cancelled = cancelled;

        QFile in;
        QFile out;
        if (!in.open(input.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            return {FileFailure::ReadFailed, in.errorString()};
        if (!out.open(output.descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return {FileFailure::WriteFailed, out.errorString()};
        QByteArray passphrase = keyText.toUtf8();
        age::Result formatResult =
            direction == Direction::Encrypt
                ? age::encrypt(in, out, passphrase, formatProgress, workFactor)
                : age::decrypt(in, out, passphrase, formatProgress);
        age::wipe(passphrase);
        if (formatResult == age::Result::Ok && !out.flush())
            formatResult = age::Result::WriteFailed;
        return {failureOf(formatResult), detailOf(formatResult)};
    };
    return runFileTransform(keyText, transform);
}

} // namespace

namespace AgeFileCipher {

FileWorkOutcome encryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress, int workFactor,
                            const CancelCheck &cancelled, const DisposeInput &disposeInput)
{
    return run(Direction::Encrypt, path, path + QStringLiteral(".enc"), keyText, progress,
               workFactor, cancelled, disposeInput);
}

FileWorkOutcome decryptFile(const QString &path, const QString &keyText,
                            const ByteProgress &progress, const CancelCheck &cancelled)
{
    const std::optional<QString> result = FileCipher::decryptedPath(path);
    if (!result)
        return FileWorkOutcome::refused(path, FileFailure::NotEncryptedName);
    return run(Direction::Decrypt, path, *result, keyText, progress, age::defaultWorkFactor,
               cancelled);
}

bool isAgeFile(const QString &path)
{
    FileProblem problem;
    const std::optional<QByteArray> head =
        SafeOpen::readStart(path, age::recognitionBytes, &problem);
    return head && age::looksLikeAgeFile(*head);
}

} // namespace AgeFileCipher
