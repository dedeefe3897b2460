#include "shred/ShredTexts.h"

namespace ShredTexts {

namespace {

QString withSystemText(const QString &text, const QString &systemText)
{
    return systemText.isEmpty() ? text : text + QStringLiteral(": ") + systemText;
}

// The rare case where a file moved aside for the check could not go back to
// its name: the user needs to know where it is.
QString withOtherFile(Language language, const QString &text, const QString &otherFileNowAt)
{
    if (otherFileNowAt.isEmpty())
        return text;
    return text + textFor(language, " (sie steht jetzt unter ", " (it is now named ") +
           otherFileNowAt + QStringLiteral(")");
}

} // namespace

QString noFilesSelected(Language language)
{
    return textFor(language, "Keine Datei(en) ausgewählt!", "No file(s) selected!");
}

QString confirmation(Language language, int total, const QStringList &filesWithOtherNames)
{
    QString text =
        QString::number(total) + textFor(language, " Datei(en) unwiderruflich löschen?",
                                         " file(s) selected. Really delete these file(s)?");
    if (filesWithOtherNames.isEmpty())
        return text;
    text += textFor(language,
                    "\n\nDiese Datei(en) haben weitere Namen (harte Links); auch unter den anderen "
                    "Namen gehen ihre Daten verloren:",
                    "\n\nThese file(s) have further names (hard links); their data is lost under "
                    "the other names too:");
    for (const QString &file : filesWithOtherNames)
        text += QStringLiteral("\n") + file;
    return text;
}

QString invalidCount(Language language)
{
    return textFor(language, "Ungültige Anzahl. Verwende Standardeinstellungen=2",
                   "Invalid number. Will use default=2");
}

QString deleted(Language language, int done)
{
    return QString::number(done) + textFor(language, " Datei(en) gelöscht", " file(s) deleted");
}

QString accessDenied(Language language, int failed)
{
    return QString::number(failed) +
           textFor(language, " Datei(en) Zugriff verweigert! Konnten nicht gelöscht werden!",
                   " file(s) access denied! Could not delete files!");
}

QString notRegularFiles(Language language, int refused)
{
    return QString::number(refused) +
           textFor(language,
                   " Datei(en) nicht gelöscht: Nur normale Dateien mit einem Namen werden "
                   "überschrieben. Symbolische Links, Ordner, Pipes, Sockets und Geräte bleiben "
                   "unverändert.",
                   " file(s) not deleted: only regular files of one name are overwritten. Symbolic "
                   "links, folders, pipes, sockets and devices are left unchanged.");
}

QString overwrittenNotRemoved(Language language, int count, const QString &reason)
{
    return QString::number(count) +
           textFor(language,
                   " Datei(en) überschrieben, aber nicht entfernt: Ihr Inhalt ist zerstört, die "
                   "Datei(en) sind noch da (",
                   " file(s) overwritten but not removed: their content is destroyed, the file(s) "
                   "are still there (") +
           reason + QStringLiteral(").");
}

QString changedMeanwhile(Language language, int count)
{
    return QString::number(count) +
           textFor(language,
                   " Datei(en) nicht gelöscht: Ein anderes Programm hat sie während des "
                   "Überschreibens ersetzt, verschoben, gekürzt oder verlängert. Gelöscht wird "
                   "nur eine ganz überschriebene Datei; diese blieben, wo sie sind.",
                   " file(s) not deleted: another program replaced, moved, shortened or extended "
                   "them while they were being overwritten. Only a file that was overwritten in "
                   "full is deleted, so these were left where they are.");
}

QString partlyOverwritten(Language language, const QString &fileName, int passesDone, int passes)
{
    const QString counts =
        QString::number(passesDone) + QStringLiteral("/") + QString::number(passes);
    return textFor(language, "Abgebrochen: ", "Cancelled: ") + fileName +
           textFor(language, " ist nur teilweise überschrieben (",
                   " is only partly overwritten (") +
           counts +
           textFor(language, " Durchgänge) und nicht gelöscht.", " passes) and not deleted.");
}

QString problem(Language language, const ShredReport &report)
{
    switch (report.problem) {
    case ShredProblem::None:
        break;
    case ShredProblem::Unreadable:
        return withSystemText(
            textFor(language, "Attribute nicht lesbar", "cannot read its attributes"),
            report.systemText);
    case ShredProblem::Folder:
        return textFor(language, "ist ein Ordner", "is a folder");
    case ShredProblem::SymbolicLink:
        return textFor(language,
                       "ist ein symbolischer Link: abgelehnt; weder der Link noch die Datei, auf "
                       "die er zeigt, wurde verändert",
                       "is a symbolic link: refused; neither the link nor the file it points to "
                       "was changed");
    case ShredProblem::SpecialFile:
        return textFor(language,
                       "keine normale Datei (Pipe, Socket oder Gerät): nicht geöffnet, unverändert",
                       "not a regular file (pipe, socket or device): not opened, left unchanged");
    case ShredProblem::InUse:
        return textFor(language, "kann nicht geöffnet werden: von einem anderen Programm benutzt",
                       "cannot open: in use by another program");
    case ShredProblem::NoAccess:
        return withSystemText(textFor(language, "kann nicht geöffnet werden: kein Schreibrecht",
                                      "cannot open: no permission to write it"),
                              report.systemText);
    case ShredProblem::Replaced:
        return withOtherFile(language,
                             textFor(language,
                                     "wurde inzwischen durch eine andere Datei ersetzt; diese "
                                     "blieb unverändert",
                                     "was replaced by another file meanwhile; that file was left "
                                     "unchanged"),
                             report.otherFileNowAt);
    case ShredProblem::HardLink:
        return textFor(language,
                       "hat weitere Namen (harte Links), deren Verlust nicht bestätigt wurde",
                       "has further names (hard links) whose loss was not confirmed");
    case ShredProblem::CannotOpen:
        return withSystemText(textFor(language, "kann nicht geöffnet werden", "cannot open"),
                              report.systemText);
    case ShredProblem::WriteFailed:
        return withSystemText(textFor(language,
                                      "Überschreiben fehlgeschlagen, teilweise überschrieben",
                                      "overwriting failed, partly overwritten"),
                              report.systemText);
    case ShredProblem::RemoveFailed:
        return withSystemText(
            textFor(language, "überschrieben, aber nicht entfernt", "overwritten, but not removed"),
            report.systemText);
    case ShredProblem::RemoveDenied:
        return textFor(language, "der Ordner erlaubt kein Entfernen von Dateien",
                       "the folder does not allow removing files");
    case ShredProblem::ReplacedWhileOverwritten:
        return withOtherFile(
            language,
            textFor(language,
                    "wurde während des Überschreibens durch eine andere Datei ersetzt: nicht "
                    "gelöscht; die Datei, die jetzt unter dem Namen steht, blieb unverändert",
                    "was replaced by another file while being overwritten: not deleted; the file "
                    "now under its name was left unchanged"),
            report.otherFileNowAt);
    case ShredProblem::MovedWhileOverwritten:
        return textFor(language,
                       "wurde während des Überschreibens von einem anderen Programm verschoben "
                       "oder entfernt: nicht gelöscht",
                       "was moved away or removed by another program while being overwritten: "
                       "not deleted");
    case ShredProblem::CutShort:
        return textFor(language,
                       "wurde während des Überschreibens von einem anderen Programm gekürzt: "
                       "nicht gelöscht, teilweise überschrieben",
                       "was cut short by another program while being overwritten: not deleted, "
                       "partly overwritten");
    case ShredProblem::KeptGrowing:
        return textFor(language,
                       "wurde während des Überschreibens von einem anderen Programm immer weiter "
                       "verlängert: nicht gelöscht, die zuletzt angefügten Daten sind nicht "
                       "überschrieben",
                       "kept growing while being overwritten (another program adds to it): not "
                       "deleted, the data added last is not overwritten");
    }
    return QString();
}

} // namespace ShredTexts
