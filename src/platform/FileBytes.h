#pragma once

#include "platform/FileProblem.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace FileBytes {

// The largest settings or key file the program reads. Real ones hold a few
// hundred bytes; the limit keeps a wrongly chosen large file from filling the
// memory.
inline constexpr qint64 MaxStoredTextFile = 16 * 1024 * 1024;

// All bytes of a regular file, exactly as stored. Links, pipes, sockets and
// devices are refused without waiting on them (SafeOpen). Returns nothing,
// with the reason, when it cannot be opened or read or is larger than maxSize.
std::optional<QByteArray> read(const QString &path, qint64 maxSize, FileProblem *problem = nullptr);

} // namespace FileBytes
