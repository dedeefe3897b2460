#include "shred/DeleteListedFiles.h"

#include "platform/FileAttributes.h"
#include "platform/Prompter.h"
#include "platform/TextTrim.h"
#include "shred/ClearReadOnly.h"
#include "shred/OverwriteCount.h"
#include "shred/SecureDeleteFile.h"
#include "shred/SecureDeleteHost.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace {

QString text(const SecureDeleteHost &host, const char *english, const char *german)
{
    return host.language() == 0 ? QString::fromUtf8(german) : QString::fromUtf8(english);
}

void inform(SecureDeleteHost &host, const QString &message)
{
    host.prompter().ask(Message::dialog(MessageIcon::Information, message, MessageButtons::Ok));
}

// The field as a decimal integer; nothing when it is not one (empty, letters,
// beyond 32 bits).
std::optional<int> parseCount(const QString &field)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    const QString trimmed = TextTrim::trimmed(field);
    if (!decimal.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = trimmed.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

// One listed file: its read-only attribute cleared, then destroyed. A file
// that is refused gets its read-only attribute back, so that it is left as
// it was found.
bool destroyListedFile(const QString &path, int count, ShredReport &report)
{
    const bool wasReadOnly = FileAttributes::query(path).readOnly;
    ClearReadOnly(path);
    if (SecureDeleteFile(path, count, &report))
        return true;
    if (wasReadOnly && FileAttributes::query(path).exists())
        FileAttributes::setReadOnly(path);
    return false;
}

} // namespace

int DeleteProgressPercent(int processed, int total)
{
    if (total <= 0)
        return 0;
    // nearbyint rounds halves to the even neighbour in the default mode.
    return static_cast<int>(std::nearbyint(processed * (100.0 / total)));
}

DeleteRunResult DeleteListedFiles(SecureDeleteHost &host)
{
    DeleteRunResult result;
    result.total = host.entryCount();
    host.ShowProgress(0);

    if (result.total == 0) {
        inform(host, text(host, "No file(s) selected!", "Keine Datei(en) ausgewählt!"));
        return result;
    }

    const QString question = QString::number(result.total) +
                             text(host, " file(s) selected. Really delete these file(s)?",
                                  " Datei(en) unwiderruflich löschen?");
    if (host.prompter().ask(Message::dialog(MessageIcon::Question, question,
                                            MessageButtons::YesNo)) != MessageAnswer::Yes)
        return result;
    result.confirmed = true;

    int count = OverwriteCount::Default;
    if (const std::optional<int> parsed = parseCount(host.overwriteCountText())) {
        count = OverwriteCount::clamped(*parsed);
        host.setOverwriteCountText(QString::number(count));
    } else {
        inform(host, text(host, "Invalid number. Will use default=2",
                          "Ungültige Anzahl. Verwende Standardeinstellungen=2"));
    }
    result.overwriteCount = count;

    const QString folder = host.folderText();
    for (int i = 0; i < result.total; ++i) {
        if (i >= host.entryCount())
            break; // the host shortened its list during the run
        // The entry names the file exactly: trimming it could name another
        // file in the same folder (" notes.txt" is not "notes.txt").
        const QString entry = host.entry(i);
        const QString path = folder + entry;

        if (host.takeCancelRequest()) {
            result.cancelled = true;
            host.CompactList();
            return result;
        }

        ShredReport report;
        bool deleted = true;
        if (TextTrim::trimmed(entry).isEmpty())
            report.outcome = ShredOutcome::NotFound; // a blank entry names no file
        else
            deleted = host.runFileWork([&] { return destroyListedFile(path, count, report); });
        host.fileFinished(i, path, report);

        if (deleted) {
            ++result.done;
            host.ShowProgress(DeleteProgressPercent(i + 1, result.total));
            host.setEntry(i, QStringLiteral("  "));
            host.processPendingEvents();
        }
    }

    if (result.done > 0)
        host.setResultText(QString::number(result.done) +
                           text(host, " file(s) deleted", " Datei(en) gelöscht"));

    const int failed = result.total - result.done;
    if (failed > 0)
        inform(host, QString::number(failed) +
                         text(host, " file(s) access denied! Could not delete files!",
                              " Datei(en) Zugriff verweigert! Konnten nicht gelöscht werden!"));

    host.CompactList();
    return result;
}
