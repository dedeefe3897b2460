#pragma once

#include "shred/OverwriteAndDelete.h"
#include "shred/ShredReport.h"

#include <QString>

// Destroys one file: the count is clamped to 1..10, then OverwriteAndDelete
// runs. True when nothing is left at the path: overwritten and removed, empty
// and removed, or nothing there to begin with. `report`, when given, says
// what happened and why.
bool SecureDeleteFile(const QString &path, int count, ShredReport *report = nullptr,
                      const ShredPassObserver &afterPass = {});
