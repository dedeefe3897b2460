#include "jobs/FolderRunTexts.h"

#include <QDir>

#include <array>

namespace FolderRunTexts {

QString skipReason(Language language, SkipReason reason, const QString &detail)
{
    QString text;
    switch (reason) {
    case SkipReason::AlreadyEncrypted:
        text = textFor(language, "bereits verschlüsselt (endet auf .enc)",
                       "already encrypted (ends in .enc)");
        break;
    case SkipReason::NotEncrypted:
        text = textFor(language, "nicht verschlüsselt (endet nicht auf .enc)",
                       "not encrypted (does not end in .enc)");
        break;
    case SkipReason::Link:
        text = textFor(language, "symbolischer Link, wird nicht verfolgt",
                       "symbolic link, not followed");
        break;
    case SkipReason::SpecialFile:
        text = textFor(language, "keine normale Datei (Pipe, Socket oder Gerät)",
                       "not a regular file (pipe, socket or device)");
        break;
    case SkipReason::FurtherNames:
        text =
            textFor(language, "hat weitere Namen (harte Links)", "has further names (hard links)");
        break;
    case SkipReason::OtherFileSystem:
        text = textFor(language, "Ordner auf einem anderen Dateisystem, nicht betreten",
                       "folder on another file system, not entered");
        break;
    case SkipReason::UnreadableFolder:
        text = textFor(language, "Ordner kann nicht gelesen werden", "folder cannot be read");
        break;
    case SkipReason::NameNotText:
        text = textFor(language, "Name ist kein UTF-8, wird nicht angefasst",
                       "name is not UTF-8, not touched");
        break;
    case SkipReason::HeldByAnotherRun:
        text = textFor(language, "wird gerade von einem anderen Lauf bearbeitet",
                       "another run is working on it");
        break;
    case SkipReason::ResultNameTaken:
        text = textFor(language, "der Name des Ergebnisses ist schon vergeben",
                       "the result's name is taken already");
        break;
    case SkipReason::Changed:
        text = textFor(language, "hat sich geändert, seit der Ordner gelesen wurde",
                       "changed since the folder was read");
        break;
    }
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    return text;
}

QString counts(Language language, RunKind kind, int done, int skipped, int failed)
{
    QString doneWords;
    switch (kind) {
    case RunKind::Encrypt:
        doneWords = textFor(language, " Datei(en) verschlüsselt", " file(s) encrypted");
        break;
    case RunKind::Decrypt:
        doneWords = textFor(language, " Datei(en) entschlüsselt", " file(s) decrypted");
        break;
    case RunKind::Shred:
        doneWords = textFor(language, " Datei(en) gelöscht", " file(s) deleted");
        break;
    }
    return textFor(language, "%1%2, %3 übersprungen, %4 fehlgeschlagen",
                   "%1%2, %3 skipped, %4 failed")
        .arg(done)
        .arg(doneWords)
        .arg(skipped)
        .arg(failed);
}

QString size(Language language, quint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + textFor(language, " Bytes", " bytes");
    static const std::array<const char *, 4> units{"KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < units.size()) {
        value /= 1024.0;
        ++unit;
    }
    QString number = QString::number(value, 'f', 1);
    if (language == Language::German)
        number.replace(QLatin1Char('.'), QLatin1Char(','));
    return number + QLatin1Char(' ') + QLatin1String(units.at(unit));
}

QString shredConfirmation(Language language, int files, quint64 bytes, const QStringList &folders)
{
    QString text = textFor(language, "%1 Datei(en) (%2) unwiderruflich löschen?",
                           "%1 file(s) selected (%2). Really delete these file(s)?")
                       .arg(files)
                       .arg(size(language, bytes));
    if (folders.isEmpty())
        return text;
    text += textFor(language, "\n\nDiese Ordner werden danach entfernt, soweit sie leer sind:",
                    "\n\nThese folders go afterwards, as far as they are empty:");
    for (const QString &folder : folders)
        text += QLatin1Char('\n') + QDir::toNativeSeparators(folder);
    return text;
}

QString folderKept(Language language, const QString &folder)
{
    return textFor(language, "%1: Ordner bleibt, es ist noch etwas darin",
                   "%1: folder stays, something is left in it")
        .arg(QDir::toNativeSeparators(folder));
}

} // namespace FolderRunTexts
