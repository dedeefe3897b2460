#pragma once

#include "core/Language.h"
#include "filecipher/LayerChain.h"

#include <QString>

// The words for why the work on a file was refused or failed, in the
// user's language: a short phrase to follow the file's name.
namespace FileRefusalTexts {

QString text(FileFailure failure, Language language);
// text(), followed by the system's own detail in brackets when there is one.
QString reason(FileFailure failure, Language language, const QString &detail);

} // namespace FileRefusalTexts
