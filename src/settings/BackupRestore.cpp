#include "settings/BackupRestore.h"

#include "core/Prompter.h"
#include "core/TextTrim.h"
#include "filetexts/FileProblemText.h"
#include "platform/FolderCopy.h"
#include "settings/DataRestore.h"

#include <QFileInfo>

namespace {

QString text(const BackupContext &context, const char *german, const char *english)
{
    return textFor(context.language, german, english);
}

MessageAnswer ask(const BackupContext &context, const Message &message)
{
    return context.prompter->ask(message);
}

// The files of a folder to copy; none, after saying why, when it cannot be
// listed.
std::optional<QStringList> listed(const BackupContext &context, const QString &folder)
{
    FileProblem problem;
    std::optional<QStringList> names = FolderCopy::listFiles(folder, &problem);
    if (!names)
        ask(context, Message::box(QStringLiteral("Velmora2"),
                                  FileProblemText::listingRefusal(problem, Language::English),
                                  MessageIcon::Error));
    return names;
}

} // namespace

namespace BackupActions {

BackupOutcome chooseFolder(const BackupContext &context)
{
    const QString current = TextTrim::trimmed(context.backupField);
    const QString chosen = context.chooseFolder ? context.chooseFolder(current) : QString();
    if (chosen.isEmpty() || chosen == current)
        return {};
    const MessageAnswer answer =
        ask(context, Message::box(QStringLiteral("Velmora"),
                                  text(context, "Neuen Pfad übernehmen?", "Resume new path?"),
                                  MessageIcon::Question, MessageButtons::OkCancel));
    if (answer != MessageAnswer::Ok)
        return {};
    return BackupOutcome{-1, chosen};
}

BackupOutcome backUp(const BackupContext &context)
{
    QString target = TextTrim::trimmed(context.backupField);
    if (target.isEmpty()) {
        ask(context, Message::dialog(MessageIcon::Warning,
                                     text(context, "Bitte zuerst ein Backupverzeichnis auswählen!",
                                          "Select the target directory first!")));
        return chooseFolder(context);
    }
    const std::optional<QStringList> names = listed(context, context.dataFolder);
    if (!names)
        return {};
    const MessageAnswer answer =
        ask(context,
            Message::box(QStringLiteral("Velmora"),
                         text(context, "Starte Datenbackup nach: ", "Create backup to: ") + target,
                         MessageIcon::Question, MessageButtons::OkCancel));
    if (answer != MessageAnswer::Ok || !QFileInfo(target).isDir())
        return {};
    target = FolderCopy::withTrailingDelimiter(target);
    BackupOutcome outcome;
    outcome.files = FolderCopy::copyListed(context.dataFolder, *names, target);
    ask(context, Message::box(QStringLiteral("Velmora2"),
                              QString::number(outcome.files) +
                                  text(context, " Datei(en) gesichert.", " file(s) saved."),
                              MessageIcon::Information));
    if (context.backupField != target)
        outcome.backupField = target;
    return outcome;
}

BackupOutcome restore(const BackupContext &context)
{
    QString source = TextTrim::trimmed(context.backupField);
    if (source.isEmpty()) {
        ask(context, Message::dialog(MessageIcon::Information,
                                     text(context, "Kein Backupordner gespeichert.",
                                          "No backup path available.")));
        return {};
    }
    const std::optional<QStringList> names = listed(context, source);
    if (!names)
        return {};
    source = FolderCopy::withTrailingDelimiter(source);
    if (names->isEmpty()) {
        ask(context, Message::dialog(MessageIcon::Information,
                                     text(context, "Keine Dateien im Backupordner!",
                                          "No files in backup folder!")));
        return {};
    }
    const MessageAnswer answer = ask(
        context, Message::box(QStringLiteral("Velmora2"),
                              text(context, "Daten jetzt wiederherstellen?", "Restore data now?"),
                              MessageIcon::Question, MessageButtons::OkCancel));
    if (answer != MessageAnswer::Ok)
        return {};
    const RestoreOutcome restored = DataRestore::run(source, *names, context.dataFolder);
    if (restored.refused()) {
        QString refusal = restored.refusalText(context.language);
        if (!restored.keptText(context.language).isEmpty())
            refusal += QLatin1Char('\n') + restored.keptText(context.language);
        ask(context, Message::dialog(MessageIcon::Error, refusal));
        return {};
    }
    QString report = QString::number(restored.restored) +
                     text(context, " Dateien wiederhergestellt.", " files restored.");
    if (!restored.keptText(context.language).isEmpty())
        report += QLatin1Char('\n') + restored.keptText(context.language);
    ask(context, Message::dialog(MessageIcon::Information, report));
    return BackupOutcome{restored.restored, std::nullopt};
}

} // namespace BackupActions
