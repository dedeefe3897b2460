#pragma once

#include "core/Language.h"

#include <QString>

class Prompter;

// Guesses whether text or a file is already encrypted (files carry no marker).

// Whether the last LooksEncrypted verdict came without reading the file's
// lines (true) or from them (false). One flag for the process; only the
// user-interface thread uses it.
extern bool ContentUnchecked;

// Code of the first UTF-16 unit, 0 for an empty text.
int FirstCharCode(const QString &Text);

// Removes, in this order and one pass each: CR LF pairs, tabs, "kqo" in any
// letter case, spaces.
QString StripText(const QString &Text);

// The characters of StripText(Text) in the range 33..126, in order.
QString PrintableOnly(const QString &Text);

// One line looks encrypted when, after StripText, more than about 28.6 % of
// its characters lie outside 33..126.
bool IsEncryptedText(const QString &Text);

// Judges a file: names ending in "ec" count as encrypted unread, text file
// types are judged by their first seven lines, anything else as plain.
// Warns through prompter when some but not nearly all of the lines look
// encrypted. Throws FileReadError when the file exists but cannot be read.
bool LooksEncrypted(const QString &Path, Prompter &prompter, Language language);
