#include "jobs/RunController.h"

#include <utility>

RunController::Forwarder::Forwarder(BackgroundTask &task, const Handlers &handlers)
    : m_task(task)
    , m_handlers(handlers)
{
}

void RunController::Forwarder::fileStarted(int index, const QString &path)
{
    m_index = index;
    m_task.postToOwner([this, index, path] {
        if (m_handlers.fileInWork)
            m_handlers.fileInWork(path);
        if (m_handlers.fileStarted)
            m_handlers.fileStarted(index);
    });
}

void RunController::Forwarder::bytesDone(quint64 done, quint64 total)
{
    const std::lock_guard lock(m_mutex);
    m_latest.index = m_index;
    m_latest.done = done;
    m_latest.total = total;
    m_latest.fileNew = true;
    postLatestUnlocked();
}

void RunController::Forwarder::runBytesDone(quint64 done, quint64 total)
{
    const std::lock_guard lock(m_mutex);
    m_latest.runDone = done;
    m_latest.runTotal = total;
    m_latest.runNew = true;
    postLatestUnlocked();
}

void RunController::Forwarder::postLatestUnlocked()
{
    if (std::exchange(m_posted, true))
        return;
    m_task.postToOwner([this] {
        Bytes latest;
        {
            const std::lock_guard lock(m_mutex);
            latest = m_latest;
            m_latest.fileNew = false;
            m_latest.runNew = false;
            m_posted = false;
        }
        if (latest.fileNew && m_handlers.bytesDone)
            m_handlers.bytesDone(latest.index, latest.done, latest.total);
        if (latest.runNew && m_handlers.runBytesDone)
            m_handlers.runBytesDone(latest.runDone, latest.runTotal);
    });
}

void RunController::Forwarder::fileDone(const FileReport &report)
{
    m_task.postToOwner([this, report] {
        if (m_handlers.fileDone)
            m_handlers.fileDone(report);
    });
}

RunController::RunController(Prompter &windowPrompter, Handlers handlers, QObject *owner)
    : QObject(owner)
    , m_windowPrompter(windowPrompter)
    , m_handlers(std::move(handlers))
    , m_task(nullptr)
    , m_observer(m_task, m_handlers)
{
    connect(&m_task, &BackgroundTask::finished, this, &RunController::runFinished);
}

RunController::~RunController()
{
    if (!isRunning())
        return;
    // Normally the window waits for finished() before it goes. Should it go
    // while a run is still on, the job stops at its next boundary, and a
    // question it waits for is dropped unanswered (that answers No).
    stopWithoutQuestions();
    m_task.wait();
}

Prompter &RunController::beginRun()
{
    m_stopRequested = false;
    m_quitting = false;
    m_prompter = std::make_unique<ThreadPrompter>(m_task, m_windowPrompter);
    return *m_prompter;
}

void RunController::cancel()
{
    if (!isRunning())
        return;
    m_stopRequested = true;
    m_cancel();
}

void RunController::stopWithoutQuestions()
{
    if (!isRunning())
        return;
    cancel();
    // A question the job waits for is answered No; one on the screen stays
    // until the user answers it.
    m_prompter->shutDown();
}

bool RunController::stopForQuit()
{
    if (!isRunning())
        return false;
    m_quitting = true;
    stopWithoutQuestions();
    return true;
}

void RunController::runFinished()
{
    if (!isRunning())
        return;
    // Over before the window hears of it: a handler may close the window or
    // start the next run. The job itself goes once the handlers are done.
    const std::shared_ptr<void> job = std::exchange(m_job, nullptr);
    const std::unique_ptr<ThreadPrompter> prompter = std::move(m_prompter);
    m_cancel = nullptr;
    const bool quitting = std::exchange(m_quitting, false);
    Q_EMIT finished();
    if (quitting)
        Q_EMIT stopped();
}
