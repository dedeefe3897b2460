#pragma once

#include <QString>

// Trimming as the stored values use it: every character with a code below 33
// (blanks and control characters) counts as blank.
namespace TextTrim {

QString trimmed(const QString &text);      // both ends
QString trimmedRight(const QString &text); // trailing only
QString trimmedLeft(const QString &text);  // leading only

} // namespace TextTrim
