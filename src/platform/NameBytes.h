#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

// The system holds file names as bytes; the program carries them as text
// (UTF-8, whatever the locale says). A name whose bytes are not UTF-8 does
// not survive that: every byte that is not UTF-8 becomes U+FFFD (and a byte
// order mark at the start is dropped), and the text, turned back into bytes,
// names another file or none. The program never works on such a name: what
// it would work on is whatever the text names, which may be another file of
// the user's ("\xEF\xBF\xBD.txt" for "\xFF.txt").
namespace NameBytes {

// True when the bytes, made text and back, are the same bytes.
bool survivesText(const QByteArray &bytes);

// The bytes of a file URL's path as the URL carries them, before any decoding
// to text: "file:///tmp/%FF.txt" gives "/tmp/\xFF.txt".
QByteArray pathOfUrl(const QUrl &url);

// True when a path that came as text, from where the bytes are no longer
// known (a file dialog, a folder listing), may stand for another name: a part
// of it holds U+FFFD and its folder has an entry of other bytes that reads as
// the same text. That text may have come from the other entry, and the file
// the text names is then not the one the user saw. Also true when such a
// folder exists but cannot be listed: nothing tells the two apart then.
bool mayStandForOtherName(const QString &path);

// The bytes of the current folder's name; empty when the system cannot tell
// (the folder was removed). Relative names are made absolute through its
// text, so a current folder whose name does not survive text puts them in
// another folder.
QByteArray currentFolder();

} // namespace NameBytes
