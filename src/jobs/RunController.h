#pragma once

#include "jobs/BackgroundTask.h"
#include "jobs/FileJobObserver.h"

#include <QObject>

#include <exception>
#include <functional>
#include <memory>
#include <mutex>

// One run of a job over a list of files for a window, from the start to its
// end: the job works on a BackgroundTask, its questions reach the window's
// prompter on the window's thread (ThreadPrompter) while the job waits, and
// its reports reach the window's handlers there. Byte counts are kept here
// and at most one of them is on its way at a time, so that a fast file does
// not flood the window's queue; each carries the index of its file.
//
// Stopping: cancel() asks the job to stop at its next boundary and still lets
// its questions through; stopWithoutQuestions() also answers every further
// question No (Cancel); stopForQuit() does that and sends stopped() once the
// run is over. A controller that goes while its run is on stops it the same
// way and waits for it.
class RunController : public QObject
{
    Q_OBJECT

public:
    // What the window does with the job's reports, on its own thread.
    struct Handlers
    {
        std::function<void(int index)> fileStarted;
        std::function<void(int index, quint64 done, quint64 total)> bytesDone;
        std::function<void(const FileReport &report)> fileDone;
        // The bytes of the whole run (FileJobObserver::runBytesDone).
        std::function<void(quint64 done, quint64 total)> runBytesDone{};
        // The path of the file started, which a folder's entry does not name
        // (called just before fileStarted).
        std::function<void(const QString &path)> fileInWork{};
    };

    RunController(Prompter &windowPrompter, Handlers handlers, QObject *owner = nullptr);
    ~RunController() override;

    // Starts a run unless one goes on (then false). make(prompter, observer)
    // builds the job, a std::unique_ptr to a class with run() and cancel();
    // work(job) runs on the worker thread and keeps what run() returns.
    template <typename Make, typename Work> bool start(Make make, Work work)
    {
        if (isRunning())
            return false;
        auto job = std::shared_ptr(make(beginRun(), static_cast<FileJobObserver &>(m_observer)));
        m_job = job;
        m_cancel = [job] { job->cancel(); };
        return m_task.start([job, work] { work(*job); });
    }

    // From start() until finished() is sent.
    bool isRunning() const { return m_job != nullptr; }
    // A stop was asked for the run that goes on, or, inside finished(), for
    // the run that has just ended.
    bool stopRequested() const { return m_stopRequested; }

    void cancel();
    void stopWithoutQuestions();
    // For the end of the program: false when no run goes on; else the run is
    // told to stop as stopWithoutQuestions() does, true is returned, and
    // stopped() follows once it is over.
    bool stopForQuit();

    // What the work threw, if anything; taken once, from finished() on.
    std::exception_ptr takeFailure() { return m_task.takeFailure(); }

Q_SIGNALS:
    // The run is over (the work has returned), on the window's thread;
    // isRunning() is false already.
    void finished();
    // The run that stopForQuit() stopped is over; follows finished().
    void stopped();

private:
    // Hands the job's reports to the window's thread.
    class Forwarder : public FileJobObserver
    {
    public:
        Forwarder(BackgroundTask &task, const Handlers &handlers);

        void fileStarted(int index, const QString &path) override;
        void bytesDone(quint64 done, quint64 total) override;
        void runBytesDone(quint64 done, quint64 total) override;
        void fileDone(const FileReport &report) override;

    private:
        // The latest counts, each handed on once.
        struct Bytes
        {
            int index = -1;
            quint64 done = 0;
            quint64 total = 0;
            bool fileNew = false;
            quint64 runDone = 0;
            quint64 runTotal = 0;
            bool runNew = false;
        };

        // Unless one is on its way already: one post that hands the latest
        // counts to the handlers.
        void postLatestUnlocked();

        BackgroundTask &m_task;
        const Handlers &m_handlers;
        int m_index = -1; // the file in work, as the job's thread knows it
        std::mutex m_mutex;
        Bytes m_latest;        // guarded by m_mutex
        bool m_posted = false; // guarded by m_mutex
    };

    Prompter &beginRun();
    void runFinished();

    Prompter &m_windowPrompter;
    Handlers m_handlers;
    BackgroundTask m_task;
    Forwarder m_observer;
    std::unique_ptr<ThreadPrompter> m_prompter;
    std::shared_ptr<void> m_job;
    std::function<void()> m_cancel;
    bool m_stopRequested = false;
    bool m_quitting = false;
};
