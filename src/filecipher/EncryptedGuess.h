#pragma once

#include "core/Language.h"

#include <QString>

class Prompter;

// Guesses whether text or a file is already encrypted (files carry no marker).
namespace EncryptedGuess {

// What judgeFile concluded, and whether it read the file's lines for it
// (false for a verdict taken from the name or the type alone).
struct Verdict
{
    bool encrypted = false;
    bool fromContent = false;
};

// Code of the first UTF-16 unit, 0 for an empty text.
int firstCharCode(const QString &text);

// Removes, in this order and one pass each: CR LF pairs, tabs, "kqo" in any
// letter case, spaces.
QString stripText(const QString &text);

// The characters of stripText(text) in the range 33..126, in order.
QString printableOnly(const QString &text);

// One line looks encrypted when, after stripText, more than about 28.6 % of
// its characters lie outside 33..126.
bool isEncryptedText(const QString &text);

// Whether a text already in memory looks encrypted by the rule judgeFile
// applies to a text file: one of its first seven lines (after trimming the
// whole text) looks encrypted.
bool textLooksEncrypted(const QString &text);

// Judges a file: names ending in "ec" count as encrypted unread, text file
// types are judged by their first seven lines, anything else as plain.
// Warns through prompter when some but not nearly all of the lines look
// encrypted. Throws FileReadError when the file exists but cannot be read.
Verdict judgeFile(const QString &path, Prompter &prompter, Language language);

} // namespace EncryptedGuess
