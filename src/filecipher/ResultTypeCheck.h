#pragma once

#include "filecipher/ContentTypeCheck.h"

#include <QString>

// The compatible format cannot tell a wrong key by itself: a wrong key gives
// other bytes. After a decryption, the result's first bytes are compared
// with what its name promises; a report.pdf that does not start like a PDF
// means "the key does not seem to fit".
namespace ResultTypeCheck {

// resultPath is the decrypted file as it is now (the temporary file or the
// final one), finalName the name it has or will have (only its suffix
// counts). Unknown when the file cannot be read safely (a link, a pipe, a
// folder) or its type has no signature to check.
ContentFit resultFitsName(const QString &resultPath, const QString &finalName);

} // namespace ResultTypeCheck
