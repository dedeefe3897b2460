#pragma once

#include <QString>

// For tests that act on a file while the secure delete engine overwrites it,
// as another program would: tells when the engine has begun its passes.
namespace PassWatch {

// The file's first byte is a pass byte (0x3E or 0xC1): the engine has the
// file open and has written its start.
bool startsWithPassByte(const QString &path);

// Waits for that, up to `timeoutMs`; false when it did not happen.
bool waitForFirstPass(const QString &path, int timeoutMs = 30000);

} // namespace PassWatch
