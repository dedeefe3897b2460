#pragma once

#include "startup/CommandLine.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class DashboardWindow;
class HandOverServer;
class ProcessLock;
class RequestQueue;

// The start of the desktop program as its arguments and a running program
// decide it. Help, the version and arguments it does not know end it at once,
// before any window.
// When a program of this user runs already, it is handed this start's
// request (its files and window, or just its dashboard to the front) and
// this start ends with 0 once that program has shown it. Otherwise this
// program goes on, and from now on later starts hand their requests to it.
// Without a usable private runtime folder there is no handing over: every
// start goes on by itself.
class ProgramStart
{
public:
    // The arguments as the process got them, read once, before the
    // application object exists (the toolkit's own options passed over).
    static CommandLine readArguments(int argc, const char *const *argv);

    // Help, the version and a refused argument need no display: they are
    // printed here and the exit code is returned; a start goes on.
    static std::optional<int> answerWithoutWindows(const CommandLine &line);

    // Reaches a running program with `request`, or makes this one the
    // program that later starts reach.
    explicit ProgramStart(const ToolRequest &request);
    ~ProgramStart();
    ProgramStart(const ProgramStart &) = delete;
    ProgramStart &operator=(const ProgramStart &) = delete;

    // Set when this start ends here, with this exit code.
    std::optional<int> exitCode() const { return m_exitCode; }

    // This start's request and those of later starts go to the dashboard,
    // each once it can show it. Call before the dashboard is first shown.
    void serve(DashboardWindow &dashboard);

    // Names of the lock and the socket in the runtime folder.
    static constexpr char LockName[] = "velmora2.lock";
    static constexpr char SocketName[] = "velmora2.socket";

private:
    // True when the running program took the request.
    bool handedOver();

    std::optional<int> m_exitCode;
    ToolRequest m_request;
    QString m_socketPath;
    // In this order, so that the socket closes before the lock is let go.
    std::unique_ptr<ProcessLock> m_lock;
    std::unique_ptr<RequestQueue> m_queue;
    std::unique_ptr<HandOverServer> m_server;
};
