#pragma once

#include "core/Prompter.h"

#include <QObject>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

class QThread;

// The one way the windows run file work: the work goes to a thread of its
// own, the window's thread goes on handling events, and finished() arrives on
// the window's thread when the work has returned. No local event loop.
//
// Questions and progress from the work reach the window through
// ThreadPrompter and postToOwner(). Destroying the task waits for the work.
class BackgroundTask : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundTask(QObject *owner);
    ~BackgroundTask() override;

    // Starts work unless a work is still running (then false).
    bool start(std::function<void()> work);
    bool isRunning() const;

    // For the owner's end, once the work has been told to stop: blocks until
    // the work has returned. What the work posts to the task meanwhile is
    // dropped, so a question it waits for through a ThreadPrompter on this
    // task is answered No (Cancel) instead of hanging the wait; finished()
    // does not follow. To stop while the window goes on, cancel the work,
    // shut its ThreadPrompter down and act on finished() instead.
    void wait();

    // What the work threw, if anything; taken once.
    std::exception_ptr takeFailure();

    // Calls fn later on the owner's thread (progress, per-file reports).
    void postToOwner(std::function<void()> fn);

Q_SIGNALS:
    void finished();

private:
    std::unique_ptr<QThread> m_thread;
    std::exception_ptr m_failure;
};

// A prompter for work on a BackgroundTask: each question is asked through the
// window's own prompter on the task's thread (the window's) while the work
// waits for the answer. Once shutDown() was called, every question is
// answered Cancel (No for yes/no questions) without showing anything.
class ThreadPrompter : public Prompter
{
public:
    ThreadPrompter(BackgroundTask &task, Prompter &target);

    MessageAnswer ask(const Message &message) override;
    void shutDown();

private:
    BackgroundTask &m_task;
    Prompter &m_target;
    std::shared_ptr<std::atomic<bool>> m_shutDown;
};
