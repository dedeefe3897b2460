#include "platform/StopSignals.h"

#include <QtGlobal>

#include <atomic>
#include <csignal>
#include <iterator>

#if !defined(Q_OS_WIN)
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace {

// Written only by the handler, read by the run; lock-free, so that the
// handler may touch it.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

#if defined(Q_OS_WIN)
extern "C" void onStopSignal(int number)
{
    g_signal.store(number);
}

using Handler = void (*)(int);
Handler g_previousInt = SIG_DFL;
Handler g_previousBreak = SIG_DFL;
#else
// The pipe's ends, -1 when there is none. The handler writes without
// blocking: a full pipe (signals nobody took yet) loses nothing that matters.
std::atomic<int> g_wakeWrite{-1};
int g_wakeRead = -1;

extern "C" void onStopSignal(int number)
{
    const int saved = errno;
    g_signal.store(number);
    const int fd = g_wakeWrite.load();
    if (fd >= 0) {
        const char byte = 1;
        (void)!::write(fd, &byte, 1);
    }
    errno = saved;
}

constexpr int Caught[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[std::size(Caught)]{};
#endif

} // namespace

StopSignals::StopSignals(Repeat repeat)
{
    g_signal.store(0);
#if defined(Q_OS_WIN)
    Q_UNUSED(repeat);
    g_previousInt = std::signal(SIGINT, onStopSignal);
    g_previousBreak = std::signal(SIGBREAK, onStopSignal);
#else
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        g_wakeRead = ends[0];
        g_wakeWrite.store(ends[1]);
    }
    struct sigaction action
    {
    };
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int number : Caught)
        sigaddset(&action.sa_mask, number);
    // Interrupted writes and flushes go on. With Repeat::EndsProcess the
    // handler is used once per signal, so a second Ctrl+C ends the process
    // as usual.
    action.sa_flags = SA_RESTART | (repeat == Repeat::EndsProcess ? SA_RESETHAND : 0);
    for (size_t k = 0; k < std::size(Caught); ++k)
        ::sigaction(Caught[k], &action, &g_previous[k]);
#endif
}

StopSignals::~StopSignals()
{
#if defined(Q_OS_WIN)
    std::signal(SIGINT, g_previousInt);
    std::signal(SIGBREAK, g_previousBreak);
#else
    for (size_t k = 0; k < std::size(Caught); ++k)
        ::sigaction(Caught[k], &g_previous[k], nullptr);
    const int write = g_wakeWrite.exchange(-1);
    if (write >= 0)
        ::close(write);
    if (g_wakeRead >= 0)
        ::close(g_wakeRead);
    g_wakeRead = -1;
#endif
}

bool StopSignals::stopRequested() const
{
    return g_signal.load() != 0;
}

StopSignals::Kind StopSignals::kind() const
{
    switch (g_signal.load()) {
    case 0:
        return Kind::None;
    case SIGINT:
        return Kind::Interrupt;
    case SIGTERM:
        return Kind::Terminate;
#if !defined(Q_OS_WIN)
    case SIGHUP:
        return Kind::HangUp;
#endif
    default:
        break;
    }
    return Kind::Interrupt; // Ctrl+Break
}

const char *StopSignals::nameOf(Kind kind)
{
    switch (kind) {
    case Kind::None:
        break;
    case Kind::Interrupt:
        return "SIGINT";
    case Kind::Terminate:
        return "SIGTERM";
    case Kind::HangUp:
        return "SIGHUP";
    }
    return "";
}

int StopSignals::wakeDescriptor() const
{
#if defined(Q_OS_WIN)
    return -1;
#else
    return g_wakeRead;
#endif
}

void StopSignals::takeWakeBytes()
{
#if !defined(Q_OS_WIN)
    char bytes[64];
    while (g_wakeRead >= 0 && ::read(g_wakeRead, bytes, sizeof bytes) > 0) {
    }
#endif
}
