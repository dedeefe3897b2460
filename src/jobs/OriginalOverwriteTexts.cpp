#include "jobs/OriginalOverwriteTexts.h"

#include "shred/ShredTexts.h"

#include <QDir>

namespace OriginalOverwriteTexts {

namespace {

// What is left of the original, as far as this run can tell.
QString whatRemains(Language language, const ShredReport &report, bool stillAtName)
{
    const bool written =
        report.outcome != ShredOutcome::Refused && report.outcome != ShredOutcome::NotFound;
    const bool inFull = report.outcome == ShredOutcome::OverwrittenNotRemoved;
    if (stillAtName && !written)
        return textFor(language, "das Original ist unverändert noch da",
                       "the original is still there, unchanged");
    if (stillAtName && inFull)
        return textFor(language, "das Original ist noch da, sein Inhalt ist überschrieben",
                       "the original is still there, its content overwritten");
    if (stillAtName)
        return textFor(language, "das Original ist noch da, teilweise überschrieben",
                       "the original is still there, partly overwritten");
    if (!written)
        return textFor(language,
                       "das Original steht nicht mehr unter seinem Namen und wurde nicht "
                       "überschrieben",
                       "the original is no longer under its name and was not overwritten");
    return textFor(language,
                   "das Original steht nicht mehr unter seinem Namen, teilweise überschrieben",
                   "the original is no longer under its name, partly overwritten");
}

} // namespace

QString problem(Language language, const ShredReport &report, bool stillAtName)
{
    const QString why = ShredTexts::problem(language, report);
    const QString remains = whatRemains(language, report, stillAtName);
    return why.isEmpty() ? remains : why + QStringLiteral("; ") + remains;
}

QString notOverwritten(Language language, const std::vector<SkippedFile> &originals)
{
    QString text = textFor(language,
                           "Die verschlüsselten Dateien sind vollständig, aber %1 Original(e) "
                           "konnte(n) nicht ganz überschrieben werden:",
                           "The encrypted files are complete, but %1 original(s) could not be "
                           "overwritten in full:")
                       .arg(originals.size());
    for (const SkippedFile &original : originals)
        text += QStringLiteral("\n") + QDir::toNativeSeparators(original.path) +
                QStringLiteral(": ") + original.reason;
    return text;
}

} // namespace OriginalOverwriteTexts
