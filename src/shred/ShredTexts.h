#pragma once

#include "core/Language.h"
#include "shred/ShredReport.h"

#include <QString>
#include <QStringList>

// The texts of a secure delete run, German and English.
namespace ShredTexts {

QString noFilesSelected(Language language);
// "N file(s) selected. Really delete these file(s)?", followed by a warning
// naming the listed files that have further names (hard links).
QString confirmation(Language language, int total, const QStringList &filesWithOtherNames);
QString invalidCount(Language language);
QString deleted(Language language, int done);
// Files left unchanged because they could not be opened or written.
QString accessDenied(Language language, int failed);
// Files left alone because they are not regular files of one name.
QString notRegularFiles(Language language, int refused);
// Files that were overwritten in full but could not be removed.
QString overwrittenNotRemoved(Language language, int count, const QString &reason);
// Files kept because another program changed them during the passes.
QString changedMeanwhile(Language language, int count);
// A stop between two passes left this file partly overwritten.
QString partlyOverwritten(Language language, const QString &fileName, int passesDone, int passes);
// Why one file was not destroyed, for people (with the system's words).
QString problem(Language language, const ShredReport &report);

} // namespace ShredTexts
