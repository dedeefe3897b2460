#pragma once

#include <QString>

// Removes the read-only attribute (gives the owner write permission) when the
// file has it; every other attribute stays. False when the change failed.
bool ClearReadOnly(const QString &path);
