#pragma once

#include <QStringList>

// Removes, in order, every entry that is empty once blanks and control
// characters are trimmed from both ends; the others keep their order.
// Returns how many were removed. The list half of CompactList.
int RemoveBlankEntries(QStringList &entries);
