#include "settings/DataRestore.h"

#include "core/TextTrim.h"
#include "filetexts/FileProblemText.h"
#include "keys/ApplicationTextKey.h"
#include "platform/FileBytes.h"
#include "platform/FolderCopy.h"
#include "platform/SafeOpen.h"
#include "settings/SettingsFile.h"

#include <QDir>

namespace {

// The settings file of the backup must carry a personal key.
RestoreOutcome checkSource(const QString &sourceFolder)
{
    RestoreOutcome outcome;
    outcome.sourceSettings = sourceFolder + QLatin1String(SettingsFileName);
    if (SafeOpen::kindAt(outcome.sourceSettings) == FileProblem::Kind::Missing) {
        // Without a settings file the restore leaves the current one alone.
        return outcome;
    }
    const std::optional<QByteArray> bytes =
        FileBytes::read(outcome.sourceSettings, FileBytes::MaxStoredTextFile, &outcome.problem);
    if (!bytes) {
        outcome.status = RestoreOutcome::Status::SourceSettingsUnreadable;
        return outcome;
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
    return outcome;
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
                   const QDateTime &now)
{
    RestoreOutcome outcome = checkSource(sourceFolder);
    if (outcome.refused())
        return outcome;

    QStringList replaced;
    for (const QString &name : names) {
        if (SafeOpen::kindAt(dataFolder + name) == FileProblem::Kind::None)
            replaced.append(name);
    }
    if (!replaced.isEmpty()) {
        outcome.keptFolder = makeKeptFolder(dataFolder, now, &outcome.problem);
        if (outcome.keptFolder.isEmpty()) {
            outcome.status = RestoreOutcome::Status::PreviousFilesNotKept;
            return outcome;
        }
        for (const QString &name : std::as_const(replaced)) {
            if (!FolderCopy::copyReplacing(dataFolder + name, outcome.keptFolder + name,
                                           &outcome.problem)) {
                outcome.status = RestoreOutcome::Status::PreviousFilesNotKept;
                return outcome;
            }
        }
    }

    for (const QString &name : names) {
        FileProblem problem;
        if (FolderCopy::copyReplacing(sourceFolder + name, dataFolder + name, &problem))
            ++outcome.restored;
        else
            outcome.failures.append(FileProblemText::text(problem, Language::English));
    }
    return outcome;
}

} // namespace DataRestore
