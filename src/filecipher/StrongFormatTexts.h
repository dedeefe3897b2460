#pragma once

#include "core/Language.h"

#include <QString>

// The texts of the strong format and of the wrong-key check: the messages
// after a decryption, the settings row that picks the format for new files
// and the encrypt window's indicator of that choice.
namespace StrongFormatTexts {

QString WrongKeyOrDamaged(Language language);   // "wrong key or damaged file"
QString KeyDoesNotSeemToFit(Language language); // "the key does not seem to fit"
QString KeepResultAnyway(Language language);    // "Keep the result anyway?"

QString FormatForNewFiles(Language language); // "Format for new files"
QString CompatibleFormat(Language language);  // "compatible"
QString StrongFormat(Language language);      // "strong (age)"

QString NewFilesCompatible(Language language); // "New files: compatible format"
QString NewFilesStrong(Language language);     // "New files: strong format (age)"

} // namespace StrongFormatTexts
