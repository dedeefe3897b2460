#pragma once

#include "shred/ShredReport.h"

#include "platform/FileIdentity.h"

#include <QString>

#include <functional>

// Called after each pass has reached the disk and before the next one, with
// the pass number (counting down from 2 × count to 1) and the byte written;
// also after each pass over bytes added at the end after the last pass.
// Lets a test look at (or change) the file between passes.
using ShredPassObserver = std::function<void(int pass, unsigned char passByte)>;

// Bytes of the whole run over one file written so far, out of the total
// (the file's length × the number of passes; it follows the length when the
// file grows).
using ShredProgress = std::function<void(quint64 done, quint64 total)>;

// 0x3E for an even pass number, 0xC1 for an odd one: the first of 2N passes
// writes 0x3E and the last writes 0xC1.
unsigned char ShredPassByte(int pass);

// Bytes handed to the system per write. The bytes that reach the file are the
// same for any block size; a large block only saves system calls.
constexpr qint64 ShredBlockSize = qint64(1) << 20;

struct ShredPlan
{
    int count = 2; // overwrite count; below 1 counts as 1, above 10 as 10
    // The user agreed that the file's other names (hard links) lose their
    // data too; without it a file with more than one name is refused.
    bool otherNamesConfirmed = false;
    ShredPassObserver afterPass;
    ShredProgress progress;
    // Asked after each pass: true ends the work on the file there, leaving it
    // partly overwritten (outcome Stopped).
    std::function<bool()> stopRequested;
};

// Overwrites the regular file at `path` 2 × count times, every pass from the
// start over exactly the file's length as it stands when the pass begins,
// flushed to the disk, then removes it. The file is never truncated, and its
// name stays through all passes.
//
// Only what was overwritten is removed: right before the removal the name
// must still hold the file that was overwritten, at the length the last pass
// covered (see NameRemoval). Bytes that another program added after the last
// pass began get all the passes too, for a few rounds; a file that keeps
// growing, or one that was cut short, replaced by another file or moved away
// meanwhile, is kept where it stands (outcome Kept), and the file that took
// its name is left alone.
//
// An empty file is removed without being opened, while it is still that
// empty file. Only regular files are touched: a symbolic link, folder, pipe,
// socket or device node is refused without being opened (and a link is never
// followed). A file that cannot be opened for exclusive writing is refused
// unchanged. When a pass fails, the file is removed as far as the system
// allows (outcome Failed); when the removal after the passes fails, the
// outcome is OverwrittenNotRemoved.
ShredReport OverwriteAndDelete(const QString &path, const ShredPlan &plan);

// The same passes and the same removal for a file that this process holds
// open and locked already, in the state `held` describes: the input of an
// encrypt run once its result is in place. Only that very file is written,
// reached by its name without following a link, and only while it is still
// unchanged (Refused, Replaced, otherwise); a file with further names is
// refused (HardLink) whatever the plan says. The holder keeps its lock
// until this returns, so no other run gets at the file in between.
ShredReport OverwriteAndDeleteHeld(const QString &path, const FileIdentity &held,
                                   const ShredPlan &plan);
