#include "ui/EncryptWorkerRun.h"

#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

namespace EncryptWorkerRun {

void run(const std::function<void()> &work)
{
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));

    QEventLoop loop;
    // finished is emitted on the worker thread, so the quit arrives queued
    // and cannot be lost before the loop has started.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    loop.exec();
    // The loop also ends when the application is asked to quit; the work
    // must still end before its locals go away.
    thread->wait();

    if (failure)
        std::rethrow_exception(failure);
}

} // namespace EncryptWorkerRun
