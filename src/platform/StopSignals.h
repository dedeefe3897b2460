#pragma once

// Catches the requests to stop a run (SIGINT from Ctrl+C, SIGTERM, and
// SIGHUP when the terminal or the session goes) while an object of this
// class lives, so that the run can finish or abandon the step it is in and
// leave its files in a known state. A signal sets a flag that the run looks
// at, and writes a byte to a pipe that an event loop can watch
// (wakeDescriptor()). The former handlers return when the object goes. Only
// one object may live at a time.
//
// On Windows only Ctrl+C and Ctrl+Break are caught (SIGINT, SIGBREAK), and
// there is no pipe.
class StopSignals
{
public:
    // What a further signal of the same kind does.
    enum class Repeat {
        EndsProcess, // the first is caught, a second acts as usual (the process ends)
        Caught,      // every one is caught
    };

    enum class Kind { None, Interrupt, Terminate, HangUp };

    explicit StopSignals(Repeat repeat = Repeat::EndsProcess);
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // True once a stop signal has arrived. May be asked from any thread.
    bool stopRequested() const;
    // The last signal that arrived, None while none has.
    Kind kind() const;
    // The signal's own name ("SIGTERM"), empty while none has arrived.
    static const char *nameOf(Kind kind);

    // Readable once a signal has arrived (a byte per signal); -1 when there
    // is no pipe. takeWakeBytes() empties it.
    int wakeDescriptor() const;
    void takeWakeBytes();
};
