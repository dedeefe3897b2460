#include "settings/BackupRestore.h"

#include "core/Prompter.h"
#include "core/TextTrim.h"
#include "filetexts/FileProblemText.h"
#include "platform/FolderCopy.h"
#include "settings/BackupWindow.h"
#include "settings/DataRestore.h"

#include <QFileInfo>

namespace {

QString text(const BackupWindow &window, const char *german, const char *english)
{
    return QString::fromUtf8(window.language() == Language::German ? german : english);
}

} // namespace

void ChooseBackupFolder(BackupWindow &window)
{
    const QString current = TextTrim::trimmed(window.backupField());
    const QString chosen = window.chooseFolder(current);
    if (chosen.isEmpty() || chosen == current)
        return;
    const MessageAnswer answer = window.prompter().ask(Message::box(
        QStringLiteral("Velmora"), text(window, "Neuen Pfad übernehmen?", "Resume new path?"),
        MessageIcon::Question, MessageButtons::OkCancel));
    if (answer != MessageAnswer::Ok)
        return;
    window.setBackupField(chosen);
    window.markDataChanged();
}

int BackupData(BackupWindow &window)
{
    QString target = TextTrim::trimmed(window.backupField());
    if (target.isEmpty()) {
        window.prompter().ask(Message::dialog(
            MessageIcon::Warning, text(window, "Bitte zuerst ein Backupverzeichnis auswählen!",
                                       "Select the target directory first!")));
        ChooseBackupFolder(window);
        return -1;
    }
    const QString dataFolder = window.dataFolder();
    FileProblem problem;
    const std::optional<QStringList> names = FolderCopy::listFiles(dataFolder, &problem);
    if (!names) {
        window.prompter().ask(Message::box(
            QStringLiteral("Velmora2"), FileProblemText::listingRefusal(problem, Language::English),
            MessageIcon::Error));
        return -1;
    }
    const MessageAnswer answer = window.prompter().ask(
        Message::box(QStringLiteral("Velmora"),
                     text(window, "Starte Datenbackup nach: ", "Create backup to: ") + target,
                     MessageIcon::Question, MessageButtons::OkCancel));
    if (answer != MessageAnswer::Ok)
        return -1;
    if (!QFileInfo(target).isDir())
        return -1;
    target = FolderCopy::withTrailingDelimiter(target);
    const int count = FolderCopy::copyListed(dataFolder, *names, target);
    window.prompter().ask(Message::box(QStringLiteral("Velmora2"),
                                       QString::number(count) +
                                           text(window, " Datei(en) gesichert.", " file(s) saved."),
                                       MessageIcon::Information));
    if (window.backupField() != target) {
        window.setBackupField(target);
        window.markDataChanged();
    }
    return count;
}

int RestoreData(BackupWindow &window)
{
    QString source = TextTrim::trimmed(window.backupField());
    if (source.isEmpty()) {
        window.prompter().ask(
            Message::dialog(MessageIcon::Information, text(window, "Kein Backupordner gespeichert.",
                                                           "No backup path available.")));
        return -1;
    }
    FileProblem problem;
    const std::optional<QStringList> names = FolderCopy::listFiles(source, &problem);
    if (!names) {
        window.prompter().ask(Message::box(
            QStringLiteral("Velmora2"), FileProblemText::listingRefusal(problem, Language::English),
            MessageIcon::Error));
        return -1;
    }
    source = FolderCopy::withTrailingDelimiter(source);
    if (names->isEmpty()) {
        window.prompter().ask(
            Message::dialog(MessageIcon::Information, text(window, "Keine Dateien im Backupordner!",
                                                           "No files in backup folder!")));
        return -1;
    }
    const MessageAnswer answer = window.prompter().ask(
        Message::box(QStringLiteral("Velmora2"),
                     text(window, "Daten jetzt wiederherstellen?", "Restore data now?"),
                     MessageIcon::Question, MessageButtons::OkCancel));
    if (answer != MessageAnswer::Ok)
        return -1;
    const RestoreOutcome outcome = DataRestore::run(source, *names, window.dataFolder());
    const Language language = window.language();
    if (outcome.refused()) {
        window.prompter().ask(Message::dialog(MessageIcon::Error, outcome.refusalText(language)));
        return -1;
    }
    QString report = QString::number(outcome.restored) +
                     text(window, " Dateien wiederhergestellt.", " files restored.");
    if (!outcome.keptText(language).isEmpty())
        report += QLatin1Char('\n') + outcome.keptText(language);
    window.prompter().ask(Message::dialog(MessageIcon::Information, report));
    return outcome.restored;
}
