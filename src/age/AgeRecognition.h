#pragma once

#include <QByteArrayView>

// Which reader a file to decrypt is for. A file of the compatible format has
// no marker at all: it is RC4 output, bytes that look random. So every start
// that random bytes take only by a negligible chance, and that this format or
// its text form (armor) would leave, counts as this format, including starts
// that are damaged or cut short: the reader of this format then opens the
// file or refuses it with its reason, and the file is never turned into
// garbage by the compatible reader.
namespace age {

// Bytes to read from the start of a file for looksLikeAgeFile().
inline constexpr qsizetype recognitionBytes = 1200;

// True for a start of this format. start holds the file's first
// recognitionBytes bytes, or the whole file when it is shorter:
// - "age-encryption.org/" (the version line's start, whatever follows:
//   another version, CR LF line ends) or "-----BEGIN" (a text form's begin
//   line, of any label) anywhere in it, text before them included;
// - the version line "age-encryption.org/v1" at its start, or as much of it
//   as the file holds when that is at least minimumMatch bytes, with at most
//   one byte in eight changed (a damaged or cut-off first line);
// - after whitespace, the text form's begin line with at most one byte in
//   eight changed, or a line that starts with five dashes and holds "BEGIN"
//   (other spacing).
// A file shorter than minimumMatch bytes never counts: random bytes would
// take such a start too often (one file in 256 starts with "a").
bool looksLikeAgeFile(QByteArrayView start);

// Below this many matching bytes a start is left to the compatible format.
inline constexpr qsizetype minimumMatch = 8;

} // namespace age
