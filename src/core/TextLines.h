#pragma once

#include <QString>
#include <QStringList>

// Line splitting as the settings file and key files use it.
namespace TextLines {

// Splits at CR LF, at a lone CR and at a lone LF. A text that ends with a
// line break yields no empty line after it; an empty text yields no lines.
QStringList split(const QString &text);

} // namespace TextLines
