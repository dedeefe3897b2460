#include "platform/FileProblem.h"

#include "platform/SystemError.h"

#include <QDir>

FileProblem FileProblem::system(const QString &path, int errorNumber)
{
    return FileProblem{Kind::System, errorNumber, path};
}

QString FileProblem::text(Language language) const
{
    const bool german = language == Language::German;
    QString reason;
    switch (kind) {
    case Kind::None:
        return QString();
    case Kind::Missing:
        reason = german ? QStringLiteral("nicht vorhanden") : QStringLiteral("does not exist");
        break;
    case Kind::Folder:
        reason = german ? QStringLiteral("ist ein Ordner, keine Datei")
                        : QStringLiteral("is a folder, not a file");
        break;
    case Kind::Link:
        reason = german
                     ? QStringLiteral(
                           "ist eine Verknüpfung (symbolischer Link); sie wird weder gelesen noch "
                           "überschrieben")
                     : QStringLiteral("is a symbolic link; it is neither read nor written through");
        break;
    case Kind::Special:
        reason = german
                     ? QStringLiteral(
                           "ist keine gewöhnliche Datei (Pipe, Socket oder Gerät) und wird nicht "
                           "gelesen")
                     : QStringLiteral(
                           "is not a regular file (a pipe, socket or device) and is not read");
        break;
    case Kind::NotOwned:
        reason = german ? QStringLiteral("gehört einem anderen Benutzer und wird nicht verwendet")
                        : QStringLiteral("belongs to another user and is not used");
        break;
    case Kind::OpenToOthers:
        reason = german ? QStringLiteral(
                              "darf von anderen Benutzern geändert werden und wird nicht verwendet")
                        : QStringLiteral("may be changed by other users and is not used");
        break;
    case Kind::TooLarge:
        reason = german ? QStringLiteral("ist zu groß") : QStringLiteral("is too large");
        break;
    case Kind::Changed:
        reason = german ? QStringLiteral("wurde während des Öffnens ersetzt")
                        : QStringLiteral("was replaced while being opened");
        break;
    case Kind::System:
        reason = systemErrorText(systemError);
        break;
    }
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}
