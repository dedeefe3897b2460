#pragma once

#include "core/FileFormat.h"

#include <QString>

// The format the user chose for new files. It is kept in a small file of its
// own in the data folder ("format.ini", owner-only), because the settings
// file's layout is fixed. Reading it never fails: a missing, unreadable or
// unknown entry means the compatible format.
//
// The same file keeps whether encrypt runs overwrite the originals
// ("overwrite-originals=yes"), a line written only while it is on, so that
// a file of the format alone stays as it always was. Missing or anything
// else: off. Each save writes the file whole and keeps the other choice.
namespace FormatChoice {

QString fileName(); // "format.ini"

FileFormat load(const QString &dataFolder);
// False, with the reason in *error, when the file could not be written.
bool save(const QString &dataFolder, FileFormat format, QString *error = nullptr);

bool loadOverwriteOriginals(const QString &dataFolder);
bool saveOverwriteOriginals(const QString &dataFolder, bool overwrite, QString *error = nullptr);

// The stored names ("compatible", "age"), also the command line's words.
QString name(FileFormat format);
bool fromName(const QString &name, FileFormat *format);

} // namespace FormatChoice
