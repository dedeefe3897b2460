#pragma once

#include <QString>

// What happened to one file handed to the secure delete engine.
enum class ShredOutcome {
    Overwritten,           // every pass written and flushed, then removed
    RemovedEmpty,          // an empty file, removed without being opened
    NotFound,              // nothing at the path (already gone)
    OverwrittenNotRemoved, // every pass written and flushed; the removal failed
    Stopped,               // a stop request ended it between two passes: partly overwritten
    Failed,                // a pass failed: partly overwritten, removed as far as possible
    Kept,   // written to, but another program changed it meanwhile: nothing removed (problem says
            // how)
    Refused // nothing written, nothing removed
};

// Why a file was not destroyed as asked.
enum class ShredProblem {
    None,
    Unreadable,   // its attributes could not be read
    Folder,       // a folder
    SymbolicLink, // a symbolic link (never followed, never removed)
    SpecialFile,  // a pipe, socket or device node (never opened)
    InUse,        // another program holds it
    NoAccess,     // no permission to write it
    Replaced,     // another file took its place while it was being opened
    HardLink,     // it has another name that the user did not agree to destroy
    CannotOpen,   // any other reason it could not be opened
    WriteFailed,  // a pass could not be written or flushed
    RemoveFailed, // it could not be removed after the passes
    RemoveDenied, // the folder does not allow removing it
    // Another program changed it while it was being overwritten:
    ReplacedWhileOverwritten, // another file took its name; that file was left alone
    MovedWhileOverwritten,    // it left its name (moved away or removed)
    CutShort,                 // it was cut short
    KeptGrowing               // it grew again after each pass over the added bytes
};

struct ShredReport
{
    ShredOutcome outcome = ShredOutcome::Refused;
    ShredProblem problem = ShredProblem::None;
    QString systemText; // the system's own words for the problem, when it gave any
    // Where the file that took its name now stands when it could not be put
    // back (its name was taken once more meanwhile); empty almost always.
    QString otherFileNowAt;
    int passesDone = 0; // passes written and flushed
    int passes = 0;     // passes planned

    // Nothing left at the path: overwritten and removed, empty and removed, or gone.
    bool gone() const
    {
        return outcome == ShredOutcome::Overwritten || outcome == ShredOutcome::RemovedEmpty ||
               outcome == ShredOutcome::NotFound;
    }
};
