#pragma once

#include <QString>

// What happened to one file handed to the secure delete engine.
enum class ShredOutcome {
    Overwritten,  // every pass written and flushed, then removed
    RemovedEmpty, // an empty file, removed without being opened
    RemovedLink,  // a link, removed as a link; what it points to is untouched
    NotFound,     // nothing at the path (already gone)
    Refused       // nothing done, or not finished; see the reason
};

struct ShredReport
{
    ShredOutcome outcome = ShredOutcome::Refused;
    QString reason; // why a file was refused, for people
};
