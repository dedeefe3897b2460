#pragma once

// Catches the requests to stop a command-line run (SIGINT from Ctrl+C, and
// SIGTERM) while an object of this class lives, so that the run can finish
// the step it is in and leave its files in a known state. The first signal
// sets a flag that the run looks at; a second one acts as usual (the process
// ends). The former handlers return when the object goes.
//
// On Windows only Ctrl+C and Ctrl+Break are caught (SIGINT, SIGBREAK).
class StopSignals
{
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // True once a stop signal has arrived.
    bool stopRequested() const;
    // The signal that arrived (SIGINT, SIGTERM), 0 while none has.
    int signalNumber() const;
};
