#include "filetexts/FileProblemText.h"

#include <QDir>

namespace {

// For a refusal of the system that came without words of its own.
QString causeWords(SystemCause cause, Language language)
{
    switch (cause) {
    case SystemCause::NotFound:
        return textFor(language, "nicht vorhanden", "does not exist");
    case SystemCause::NotFolder:
        return textFor(language, "ein Teil des Pfades ist kein Ordner",
                       "a part of the path is no folder");
    case SystemCause::Exists:
        return textFor(language, "der Name ist belegt", "the name is taken");
    case SystemCause::AccessDenied:
        return textFor(language, "Zugriff verweigert", "access denied");
    case SystemCause::NoSpace:
        return textFor(language, "kein Platz auf dem Datenträger", "no space left on the disk");
    case SystemCause::NameTooLong:
        return textFor(language, "Name zu lang", "name too long");
    case SystemCause::ReadOnlyFileSystem:
        return textFor(language, "Dateisystem nur lesbar", "read-only file system");
    case SystemCause::None:
    case SystemCause::Other:
        break;
    }
    return textFor(language, "vom System abgelehnt", "refused by the system");
}

QString reason(const FileProblem &problem, Language language)
{
    switch (problem.kind) {
    case FileProblem::Kind::None:
        break;
    case FileProblem::Kind::Missing:
        return textFor(language, "nicht vorhanden", "does not exist");
    case FileProblem::Kind::Folder:
        return textFor(language, "ist ein Ordner, keine Datei", "is a folder, not a file");
    case FileProblem::Kind::NoFolder:
        return textFor(language, "ist kein vorhandener Ordner", "is no existing folder");
    case FileProblem::Kind::Link:
        return textFor(
            language,
            "ist eine Verknüpfung (symbolischer Link); sie wird weder gelesen noch überschrieben",
            "is a symbolic link; it is neither read nor written through");
    case FileProblem::Kind::Special:
        return textFor(
            language,
            "ist keine gewöhnliche Datei (Pipe, Socket oder Gerät) und wird nicht gelesen",
            "is not a regular file (a pipe, socket or device) and is not read");
    case FileProblem::Kind::NotOwned:
        return textFor(language, "gehört einem anderen Benutzer und wird nicht verwendet",
                       "belongs to another user and is not used");
    case FileProblem::Kind::OpenToOthers:
        return textFor(language,
                       "darf von anderen Benutzern geändert werden und wird nicht verwendet",
                       "may be changed by other users and is not used");
    case FileProblem::Kind::TooLarge:
        return textFor(language, "ist zu groß", "is too large");
    case FileProblem::Kind::Changed:
        return textFor(language, "wurde während des Öffnens ersetzt",
                       "was replaced while being opened");
    case FileProblem::Kind::System:
        return problem.reason.isEmpty() ? causeWords(problem.cause, language) : problem.reason;
    }
    return QString();
}

} // namespace

namespace FileProblemText {

QString text(const FileProblem &problem, Language language)
{
    if (problem.isNone())
        return QString();
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(problem.path),
                                        reason(problem, language));
}

QString dataFolderRefusal(const FileProblem &problem, Language language)
{
    return textFor(language, "Der Datenordner kann nicht verwendet werden: ",
                   "The data folder cannot be used: ") +
           text(problem, language);
}

QString listingRefusal(const FileProblem &problem, Language language)
{
    if (problem.kind != FileProblem::Kind::NoFolder)
        return text(problem, language);
    // The same words in both languages, as the backup always showed them.
    return QStringLiteral("The folder %1 cannot be found.")
        .arg(QDir::toNativeSeparators(problem.path));
}

} // namespace FileProblemText
