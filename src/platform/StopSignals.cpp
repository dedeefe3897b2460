#include "platform/StopSignals.h"

#include <QtGlobal>

#include <csignal>

#if !defined(Q_OS_WIN)
#include <signal.h>
#endif

namespace {

// Written only by the handler, read by the run.
volatile std::sig_atomic_t g_signal = 0;

extern "C" void onStopSignal(int number)
{
    g_signal = number;
}

#if defined(Q_OS_WIN)
using Handler = void (*)(int);
Handler g_previousInt = SIG_DFL;
Handler g_previousBreak = SIG_DFL;
#else
struct sigaction g_previousInt
{
};
struct sigaction g_previousTerm
{
};
#endif

} // namespace

StopSignals::StopSignals()
{
    g_signal = 0;
#if defined(Q_OS_WIN)
    g_previousInt = std::signal(SIGINT, onStopSignal);
    g_previousBreak = std::signal(SIGBREAK, onStopSignal);
#else
    struct sigaction action
    {
    };
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted writes and flushes go on; the handler is used once, so a
    // second Ctrl+C ends the process as usual.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGINT, &action, &g_previousInt);
    ::sigaction(SIGTERM, &action, &g_previousTerm);
#endif
}

StopSignals::~StopSignals()
{
#if defined(Q_OS_WIN)
    std::signal(SIGINT, g_previousInt);
    std::signal(SIGBREAK, g_previousBreak);
#else
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
#endif
}

bool StopSignals::stopRequested() const
{
    return g_signal != 0;
}

int StopSignals::signalNumber() const
{
    return static_cast<int>(g_signal);
}
