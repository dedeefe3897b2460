#include "ProgramStart.h"

#include "HandOver.h"
#include "core/Language.h"
#include "platform/ProgramInfo.h"
#include "platform/RuntimeFolder.h"
#include "windows/RequestQueue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

namespace {

// How long a start tries to reach a program that holds the lock but does
// not answer on the socket (it is just starting, or just ending).
constexpr qint64 ReachMilliseconds = 3000;
// A running program that drops the connection that often does not take
// requests of this start (another version, say): start by itself.
constexpr int MostLostConnections = 3;

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

CommandLine ProgramStart::readArguments(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Language language = languageOfSystem(ProgramInfo::systemLanguageName());
    return CommandLine::parse(arguments, QDir::currentPath(), language);
}

std::optional<int> ProgramStart::answerWithoutWindows(const CommandLine &line)
{
    switch (line.outcome) {
    case CommandLine::Outcome::Help:
    case CommandLine::Outcome::Version:
        print(stdout, line.text);
        return 0;
    case CommandLine::Outcome::Refused:
        print(stderr, line.text);
        return CommandLine::UsageExitCode;
    case CommandLine::Outcome::Start:
        break;
    }
    return std::nullopt;
}

ProgramStart::ProgramStart(const ToolRequest &request)
    : m_request(request)
{
    const QString folder = RuntimeFolder::usable();
    if (folder.isEmpty())
        return;
    m_lock =
        std::make_unique<ProcessLock>(folder + QLatin1Char('/') + QString::fromLatin1(LockName));
    m_socketPath = folder + QLatin1Char('/') + QString::fromLatin1(SocketName);
    if (handedOver()) {
        m_exitCode = 0;
        return;
    }
    if (!m_lock->held())
        return;
    m_server = std::make_unique<HandOverServer>();
    if (!m_server->listen(m_socketPath)) {
        // Later starts must not wait for a program they cannot reach.
        m_server.reset();
        m_lock->release();
    }
}

ProgramStart::~ProgramStart() = default;

bool ProgramStart::handedOver()
{
    QElapsedTimer sinceContact;
    sinceContact.start();
    int lost = 0;
    for (;;) {
        // Taken: this program runs alone and takes the later starts'
        // requests; unusable: it runs alone without them.
        if (m_lock->tryTake() != ProcessLock::State::HeldByOther)
            return false;
        switch (HandOver::send(m_socketPath, m_request)) {
        case HandOver::Outcome::Taken:
            return true;
        case HandOver::Outcome::Lost:
            // The running program ended (its password was not given, say)
            // before it showed the request: this start goes on by itself
            // once its lock is free.
            if (++lost >= MostLostConnections)
                return false;
            sinceContact.restart();
            break;
        case HandOver::Outcome::NoListener:
            if (sinceContact.hasExpired(ReachMilliseconds))
                return false;
            break;
        }
        QThread::msleep(50);
    }
}

void ProgramStart::serve(DashboardWindow &dashboard)
{
    m_queue = std::make_unique<RequestQueue>(dashboard);
    if (m_server)
        m_server->setQueue(m_queue.get());
    // A start without arguments just shows the dashboard, as ever.
    if (m_request != ToolRequest{})
        m_queue->add(m_request);
}
