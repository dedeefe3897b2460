#pragma once

#include "shred/OverwriteAndDelete.h"
#include "shred/ShredReport.h"

#include <QString>

// Destroys one file: the count is clamped to 1..10, then OverwriteAndDelete
// runs. True when the file is gone: overwritten and removed, empty and
// removed, a link removed, or nothing at the path. False when the file was
// refused (in use, not writable, a folder or special file) or could not be
// finished; `report`, when given, says what happened and why.
bool SecureDeleteFile(const QString &path, int count, ShredReport *report = nullptr,
                      const ShredPassObserver &afterPass = {});
