#pragma once

#include <QString>

#include <optional>

// What the program knows about itself and its surroundings.
namespace ProgramInfo {

// Folder of the running program file, with a trailing delimiter.
QString programFolder();
// Name and extension of the running program file, without folder.
QString programFileName();
// The program's version: four decimal numbers joined by ".", or "undefined"
// when none was compiled in.
QString version();
// `text` when it is four decimal numbers joined by ".", else "undefined".
QString versionOrUndefined(const QString &text);
// The folder for temporary files (TMPDIR on Unix, TMP/TEMP on Windows).
QString temporaryFolder();
// Name of the system's default language in its own words ("Deutsch",
// "English", "français", ...).
QString systemLanguageName();

// `fileName` with its extension (from the last ".") replaced by `extension`;
// a name without one gets it appended: "velmora2" -> "velmora2.dat".
QString replaceExtension(const QString &fileName, const QString &extension);

// Test seams: fixed answers instead of the system's.
void setSystemLanguageNameForTesting(const std::optional<QString> &name);
void setProgramFolderForTesting(const std::optional<QString> &folder);

} // namespace ProgramInfo
