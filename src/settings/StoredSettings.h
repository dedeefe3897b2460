#pragma once

#include "core/Language.h"
#include "platform/FileProblem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The values of the settings file as they are stored, each line untrimmed.
// A value is absent when the file ends before its line. The dashboard, the
// settings window and the command line each take what they need from here
// by their own rules.
struct StoredSettings
{
    std::optional<QString> password;     // line 0: the password's digest
    std::optional<QString> personalKey;  // line 2 (see fromLines)
    std::optional<QString> language;     // line 3: "0" German, other English
    std::optional<QString> dataPath;     // line 4
    std::optional<QString> backupFolder; // line 9
    std::optional<QString> carriedValue; // line 10

    // When the file ends with the uncoded line break that writers put after
    // the coded text, its last line is the decoded form of that line break,
    // never a setting: the key line then counts only when a line follows
    // it, so a file that ends after line 1 holds no key (rather than those
    // two characters).
    static StoredSettings fromLines(const QStringList &lines, bool endsWithLineBreak);
};

// Why the settings file at settingsPath gives no personal key although it is
// there: it ends before its key line.
QString settingsWithoutKeyLineText(const QString &settingsPath, Language language);

// How reading the settings file went.
struct SettingsReading
{
    enum class Status {
        Read,
        NoFile,        // nothing at the path; a link counts as something
        FolderRefused, // the folder is another user's or open to others; see folder
        Unreadable,    // the file is there but cannot be read; see error
    };

    Status status = Status::NoFile;
    StoredSettings stored;
    FileProblem folder; // for FolderRefused
    QString error;      // why, in English, for FolderRefused and Unreadable

    bool usable() const { return status == Status::Read || status == Status::NoFile; }
};

namespace SettingsReader {

// Reads the settings file at path. Its folder is checked first: a settings
// file in a folder that others may change could hold anybody's key.
SettingsReading read(const QString &path, const QByteArray &textKey);

} // namespace SettingsReader
