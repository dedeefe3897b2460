#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The single-byte code page in which stored texts (settings file, key files,
// password digests) are kept: Windows-1252, with its five unassigned bytes
// 0x81, 0x8D, 0x8F, 0x90 and 0x9D mapped to the control characters of the
// same number, so that every byte value survives the round trip. A character
// that the code page cannot represent becomes "?".
namespace AnsiCodePage {

// One byte per UTF-16 code unit; a valid surrogate pair counts as one
// character and becomes a single "?".
QByteArray fromUnicode(const QString &text);

// The first character of text that the code page cannot hold (a whole
// surrogate pair counts as one character); nothing when every one fits.
std::optional<char32_t> firstUnrepresentable(const QString &text);

// One character per byte.
QString toUnicode(const QByteArray &bytes);

} // namespace AnsiCodePage
