#pragma once

#include "core/FileFormat.h"

#include <QString>

// The format the user chose for new files. It is kept in a small file of its
// own in the data folder ("format.ini", owner-only), because the settings
// file's layout is fixed. Reading it never fails: a missing, unreadable or
// unknown entry means the compatible format.
namespace FormatChoice {

QString fileName(); // "format.ini"

FileFormat load(const QString &dataFolder);
// False, with the reason in *error, when the file could not be written.
bool save(const QString &dataFolder, FileFormat format, QString *error = nullptr);

// The stored names ("compatible", "age"), also the command line's words.
QString name(FileFormat format);
bool fromName(const QString &name, FileFormat *format);

} // namespace FormatChoice
