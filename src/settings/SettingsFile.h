#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The settings file "velmora.ini": numbered text lines, each followed by
// CR LF, the whole text converted through AnsiCodePage and coded with the
// Vigenère codec under the application text key, then one uncoded CR LF.
//
// Line layout (from 0): 0 password digest, 1 reserved, 2 personal key,
// 3 language ("0" German, other English), 4 data path, 5-7 reserved,
// 8 "false", 9 backup folder, 10 carried value, 11-12 filler.
//
// Reading decodes the file's final uncoded CR LF along with the rest, which
// yields two more characters: one extra last line that carries no setting.
// Writers carry it over like every other line, so each rewrite adds a line.

inline constexpr char SettingsFileName[] = "velmora.ini";

namespace SettingsLine {
enum : int {
    Password = 0,
    Reserved1 = 1,
    PersonalKey = 2,
    Language = 3,
    DataPath = 4,
    FalseMarker = 8,
    BackupFolder = 9,
    CarriedValue = 10,
};
} // namespace SettingsLine

namespace SettingsFile {

// The plain lines of the settings file. Returns nothing, with the reason in
// *error, when the file cannot be read (the caller checks beforehand that it
// exists): also when it is no regular file (a link, pipe, socket or device,
// refused without waiting), and when its folder belongs to another user or
// others may write to it (DataFolder::check), since then its key could be
// anybody's.
// *endsWithLineBreak says whether the file ends with the uncoded CR LF that
// every writer puts after the coded text: then the last line is its decoded
// form (see above).
std::optional<QStringList> readLines(const QString &path, const QByteArray &textKey,
                                     QString *error = nullptr, bool *endsWithLineBreak = nullptr);

// The plain lines of a settings file's bytes, as readLines splits them (for a
// copy of the file that lies outside the data folder).
QStringList decodeBytes(const QByteArray &bytes, const QByteArray &textKey);

// Replaces the file with the coded form of lines: written to a temporary file
// in the same folder, flushed and renamed over the old one, owner-only
// permissions. Returns false, with the reason in *error, when it could not be
// written (also when its folder is refused as for reading); the old file is
// then whole.
bool writeLines(const QString &path, const QByteArray &textKey, const QStringList &lines,
                QString *error = nullptr);

} // namespace SettingsFile

namespace SettingsLines {

// The lines a writer starts from: the file's lines when it exists, else
// `blankLines` lines of one blank; padded with one-blank lines to 13 when
// there are 10 or fewer. Returns nothing when the file exists but cannot be
// read: a writer must then not replace it.
std::optional<QStringList> forRewrite(const QString &path, const QByteArray &key, int blankLines,
                                      QString *error = nullptr);

// Stores value in line `index` without its trailing characters below code 33.
void set(QStringList &lines, int index, const QString &value);

// Signed decimal integer, as the language line holds it; nothing when it does
// not parse.
std::optional<qint32> parseInteger(const QString &text);

// True when text, trimmed, names an existing folder; an empty text names none.
bool namesExistingFolder(const QString &text);

} // namespace SettingsLines
