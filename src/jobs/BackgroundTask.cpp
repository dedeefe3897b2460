#include "jobs/BackgroundTask.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>

#include <atomic>

BackgroundTask::BackgroundTask(QObject *owner)
    : QObject(owner)
{
}

BackgroundTask::~BackgroundTask()
{
    wait();
}

bool BackgroundTask::start(std::function<void()> work)
{
    if (isRunning())
        return false;
    if (m_thread)
        m_thread->wait();
    m_failure = nullptr;
    m_thread.reset(QThread::create([this, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            m_failure = std::current_exception();
        }
    }));
    // finished is emitted on the worker thread; the queued connection brings
    // it to this object's thread after the work has returned.
    connect(m_thread.get(), &QThread::finished, this, &BackgroundTask::finished,
            Qt::QueuedConnection);
    m_thread->start();
    return true;
}

bool BackgroundTask::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void BackgroundTask::wait()
{
    if (!m_thread)
        return;
    bool returned = false;
    do {
        returned = m_thread->wait(QDeadlineTimer(5));
        // A dropped blocking call releases the work that waits on it.
        QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    } while (!returned);
}

std::exception_ptr BackgroundTask::takeFailure()
{
    return std::exchange(m_failure, nullptr);
}

void BackgroundTask::postToOwner(std::function<void()> fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

ThreadPrompter::ThreadPrompter(BackgroundTask &task, Prompter &target)
    : m_task(task)
    , m_target(target)
    , m_shutDown(std::make_shared<std::atomic<bool>>(false))
{
}

MessageAnswer ThreadPrompter::ask(const Message &message)
{
    const auto refusal =
        message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
    if (*m_shutDown)
        return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : refusal;
    if (QThread::currentThread() == m_task.thread())
        return m_target.ask(message);

    MessageAnswer answer = refusal;
    QMetaObject::invokeMethod(
        &m_task,
        [this, &message, &answer] {
            if (!*m_shutDown)
                answer = m_target.ask(message);
        },
        Qt::BlockingQueuedConnection);
    return answer;
}

void ThreadPrompter::shutDown()
{
    *m_shutDown = true;
}
