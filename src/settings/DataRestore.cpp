#include "settings/DataRestore.h"

#include "core/TextTrim.h"
#include "filetexts/FileProblemText.h"
#include "keys/ApplicationTextKey.h"
#include "platform/FileAttributes.h"
#include "platform/FileBytes.h"
#include "platform/FileSystemType.h"
#include "platform/FolderCopy.h"
#include "platform/SafeOpen.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>

namespace {

// "at most 64 files of 1 MiB in all"
QString limitText(Language language)
{
    return (language == Language::German
                ? QStringLiteral("höchstens %1 Dateien mit zusammen %2 MiB")
                : QStringLiteral("at most %1 files of %2 MiB in all"))
        .arg(DataRestore::MaxFiles)
        .arg(DataRestore::MaxBytes / (1024 * 1024));
}

// A folder that a data folder could have been copied into: on a file system
// that keeps files, and no larger than a data folder. The sizes are what the
// files claim; the copy itself holds them to the limit as well.
void checkSourceFolder(const QStringList &names, RestoreOutcome &outcome)
{
    const FileSystemType fileSystem = FileSystemType::of(outcome.sourceFolder);
    if (fileSystem.isPseudo()) {
        outcome.status = RestoreOutcome::Status::SourceOnPseudoFileSystem;
        outcome.fileSystem = fileSystem.name;
        return;
    }
    if (names.size() > DataRestore::MaxFiles) {
        outcome.status = RestoreOutcome::Status::SourceTooLarge;
        return;
    }
    qint64 bytes = 0;
    for (const QString &name : names) {
        const FileAttributes attributes = FileAttributes::query(outcome.sourceFolder + name);
        if (attributes.kind == FileAttributes::Kind::RegularFile && attributes.size > 0)
            bytes += attributes.size;
        if (bytes > DataRestore::MaxBytes) {
            outcome.status = RestoreOutcome::Status::SourceTooLarge;
            return;
        }
    }
}

// The settings file of the backup must carry a personal key.
void checkSourceSettings(RestoreOutcome &outcome)
{
    outcome.sourceSettings = outcome.sourceFolder + QLatin1String(SettingsFileName);
    if (SafeOpen::kindAt(outcome.sourceSettings) == FileProblem::Kind::Missing) {
        // Without a settings file the restore leaves the current one alone.
        return;
    }
    const std::optional<QByteArray> bytes =
        FileBytes::read(outcome.sourceSettings, FileBytes::MaxStoredTextFile, &outcome.problem);
    if (!bytes) {
        outcome.status = RestoreOutcome::Status::SourceSettingsUnreadable;
        return;
    }
    // A backup may lie on a drive that others can write to: its settings file
    // is read as a copy, the data folder's rules are not asked of it.
    const QStringList lines = SettingsFile::decodeBytes(*bytes, QByteArray(ApplicationTextKey));
    // The last line is the decoded form of the file's final line break, never
    // a setting: a file that ends right after line 1 has no key line.
    const bool hasKey = lines.size() > SettingsLine::PersonalKey + 1 &&
                        !TextTrim::trimmed(lines.at(SettingsLine::PersonalKey)).isEmpty();
    if (!hasKey)
        outcome.status = RestoreOutcome::Status::SourceWithoutKey;
}

// A new, owner-only folder for the files about to be replaced.
QString makeKeptFolder(const QString &dataFolder, const QDateTime &now, FileProblem *problem)
{
    const QString stem = dataFolder + QLatin1String(DataRestore::KeptFolderPrefix) +
                         now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString folder = attempt == 1 ? stem : stem + QStringLiteral("-%1").arg(attempt);
        if (SafeOpen::createPrivateFolder(folder, problem))
            return folder + QLatin1Char('/');
        if (problem &&
            !(problem->kind == FileProblem::Kind::System && problem->cause == SystemCause::Exists))
            return QString();
    }
    return QString();
}

// Removes the copies of the previous files and their folder again, for a
// restore that stopped before it changed the data folder.
void removeKeptFolder(RestoreOutcome &outcome, const QStringList &kept)
{
    if (outcome.keptFolder.isEmpty())
        return;
    for (const QString &name : kept)
        QFile::remove(outcome.keptFolder + name);
    QDir().rmdir(outcome.keptFolder);
    outcome.keptFolder.clear();
}

// The reason a file was not restored, in English.
QString failureText(const FileProblem &problem)
{
    if (problem.kind == FileProblem::Kind::TooLarge)
        return QDir::toNativeSeparators(problem.path) +
               QStringLiteral(": larger than a data folder (a restore copies ") +
               limitText(Language::English) + QLatin1Char(')');
    return FileProblemText::text(problem, Language::English);
}

} // namespace

QString RestoreOutcome::refusalText(Language language) const
{
    const bool german = language == Language::German;
    const QString nothing = german ? QStringLiteral(" Es wurde nichts wiederhergestellt.")
                                   : QStringLiteral(" Nothing was restored.");
    switch (status) {
    case Status::Restored:
        return QString();
    case Status::SourceWithoutKey:
        return (german ? QStringLiteral(
                             "Die Sicherung enthält keinen persönlichen Schlüssel (%1 ohne "
                             "Schlüsselzeile); sie würde den vorhandenen Schlüssel löschen.")
                       : QStringLiteral(
                             "The backup holds no personal key (%1 has no key line); it would "
                             "delete the current key."))
                   .arg(QDir::toNativeSeparators(sourceSettings)) +
               nothing;
    case Status::SourceSettingsUnreadable:
        return (german ? QStringLiteral(
                             "Die Einstellungsdatei der Sicherung kann nicht gelesen werden: ")
                       : QStringLiteral("The backup's settings file cannot be read: ")) +
               FileProblemText::text(problem, language) + nothing;
    case Status::PreviousFilesNotKept:
        return (german ? QStringLiteral("Die bisherigen Dateien konnten nicht aufbewahrt werden: ")
                       : QStringLiteral("The current files could not be kept: ")) +
               FileProblemText::text(problem, language) + nothing;
    case Status::SourceOnPseudoFileSystem:
        return (german ? QStringLiteral("Der Ordner %1 liegt auf einem Systemdateisystem (%2), "
                                        "nicht auf einem Laufwerk.")
                       : QStringLiteral("The folder %1 lies on a system file system (%2), not on "
                                        "a drive."))
                   .arg(QDir::toNativeSeparators(QDir::cleanPath(sourceFolder)), fileSystem) +
               nothing;
    case Status::SourceTooLarge:
        return (german ? QStringLiteral("Der Ordner %1 enthält mehr als ein Datenordner: eine "
                                        "Wiederherstellung kopiert %2.")
                       : QStringLiteral("The folder %1 holds more than a data folder: a restore "
                                        "copies %2."))
                   .arg(QDir::toNativeSeparators(QDir::cleanPath(sourceFolder)),
                        limitText(language)) +
               nothing;
    case Status::Stopped:
        if (restored == 0)
            return (german ? QStringLiteral("Die Wiederherstellung wurde abgebrochen.")
                           : QStringLiteral("The restore was stopped.")) +
                   nothing;
        return (german ? QStringLiteral("Die Wiederherstellung wurde abgebrochen; %1 von %2 "
                                        "Dateien wurden vorher wiederhergestellt.")
                       : QStringLiteral("The restore was stopped; %1 of %2 files were restored "
                                        "before."))
            .arg(restored)
            .arg(total);
    }
    return QString();
}

QString RestoreOutcome::keptText(Language language) const
{
    if (keptFolder.isEmpty())
        return QString();
    return (language == Language::German ? QStringLiteral("Die bisherigen Dateien liegen in: ")
                                         : QStringLiteral("The previous files are kept in: ")) +
           QDir::toNativeSeparators(keptFolder);
}

namespace DataRestore {

RestoreOutcome run(const QString &sourceFolder, const QStringList &names, const QString &dataFolder,
                   const StopRequest &stopRequested, const QDateTime &now)
{
    RestoreOutcome outcome;
    outcome.sourceFolder = sourceFolder;
    outcome.total = static_cast<int>(names.size());
    checkSourceFolder(names, outcome);
    if (outcome.refused())
        return outcome;
    checkSourceSettings(outcome);
    if (outcome.refused())
        return outcome;

    const auto stopped = [&] { return stopRequested && stopRequested(); };
    QStringList replaced;
    for (const QString &name : names) {
        if (SafeOpen::kindAt(dataFolder + name) == FileProblem::Kind::None)
            replaced.append(name);
    }
    QStringList kept;
    if (!replaced.isEmpty()) {
        outcome.keptFolder = makeKeptFolder(dataFolder, now, &outcome.problem);
        if (outcome.keptFolder.isEmpty()) {
            outcome.status = RestoreOutcome::Status::PreviousFilesNotKept;
            return outcome;
        }
        const FolderCopy::CopyBounds keeping{-1, stopRequested};
        for (const QString &name : std::as_const(replaced)) {
            const FolderCopy::CopyEnd end =
                stopped() ? FolderCopy::CopyEnd::Stopped
                          : FolderCopy::copyBounded(dataFolder + name, outcome.keptFolder + name,
                                                    keeping, nullptr, &outcome.problem);
            if (end == FolderCopy::CopyEnd::Stopped) {
                removeKeptFolder(outcome, kept);
                outcome.status = RestoreOutcome::Status::Stopped;
                return outcome;
            }
            if (end == FolderCopy::CopyEnd::Failed) {
                outcome.status = RestoreOutcome::Status::PreviousFilesNotKept;
                return outcome;
            }
            kept.append(name);
        }
    }

    qint64 left = DataRestore::MaxBytes;
    for (const QString &name : names) {
        FileProblem problem;
        qint64 copied = 0;
        const FolderCopy::CopyEnd end =
            stopped() ? FolderCopy::CopyEnd::Stopped
                      : FolderCopy::copyBounded(sourceFolder + name, dataFolder + name,
                                                FolderCopy::CopyBounds{left, stopRequested},
                                                &copied, &problem);
        switch (end) {
        case FolderCopy::CopyEnd::Copied:
            ++outcome.restored;
            left -= copied;
            break;
        case FolderCopy::CopyEnd::Failed:
            outcome.failures.append(failureText(problem));
            break;
        case FolderCopy::CopyEnd::Stopped:
            if (outcome.restored == 0)
                removeKeptFolder(outcome, kept);
            outcome.status = RestoreOutcome::Status::Stopped;
            return outcome;
        }
    }
    return outcome;
}

} // namespace DataRestore
