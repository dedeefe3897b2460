#pragma once

#include "shred/ShredReport.h"

#include <QString>

#include <functional>

// Called after each pass has reached the disk and before the next one, with
// the pass number (counting down from 2 × count to 1) and the byte written.
// Lets a test look at the file between passes.
using ShredPassObserver = std::function<void(int pass, unsigned char passByte)>;

// 0x3E for an even pass number, 0xC1 for an odd one: the first of 2N passes
// writes 0x3E and the last writes 0xC1.
unsigned char ShredPassByte(int pass);

// Bytes handed to the system per write. The bytes that reach the file are the
// same for any block size; a large block only saves system calls.
constexpr qint64 ShredBlockSize = qint64(1) << 20;

// Overwrites the file at `path` 2 × count times (count below 1 counts as 1),
// every pass from the start over exactly the file's length and flushed to the
// disk, then removes it. The length and the name never change.
//
// An empty file is removed without being opened. A link is removed as a link;
// nothing is written through it. Raises EShredError when the file cannot be
// opened for exclusive writing (nothing changed, nothing removed), when it is
// a folder or a special file, when its attributes cannot be read, when a pass
// fails (the file is closed and removed anyway), and when it cannot be removed
// after the passes.
ShredOutcome OverwriteAndDelete(const QString &path, int count,
                                const ShredPassObserver &afterPass = {});
