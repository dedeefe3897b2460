#pragma once

#include <QByteArrayView>
#include <QString>

// Whether a decrypted file whose name promises text (notes.txt, table.csv,
// main.cpp, ...) reads as text. A wrong key in the compatible format yields
// bytes that look like noise; text, in whatever common encoding, does not.
namespace TextContentCheck {

// The file name's suffix (any letter case) is one of plain text, markup,
// data in text form, configuration, scripts or program sources.
bool namePromisesText(const QString &fileName);

// The bytes read as text when they are empty, or when they are UTF-16 with a
// byte-order mark, valid UTF-8 (with or without a mark) or Windows-1252,
// each with no more than one character in 64 that text does not hold
// (control characters other than tab, line feed, form feed, carriage return
// and escape; in UTF-16 also unpaired surrogates, private-use and unassigned
// code points; in Windows-1252 also its five unassigned bytes 0x81, 0x8D,
// 0x8F, 0x90 and 0x9D). Windows-1252 text shorter than 256 bytes must
// besides pass the line test of the encrypted-data guess, which catches
// short noise that a byte count cannot.
//
// head is the start of the file. When the file goes on after it
// (cutShort), a character cut in two at its end does not count.
bool readsAsText(QByteArrayView head, bool cutShort);

} // namespace TextContentCheck
