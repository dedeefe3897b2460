#include "ui/FileWorkThread.h"

#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

bool runFileWorkOnThread(const std::function<bool()> &work)
{
    bool result = false;
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            result = work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));

    QEventLoop loop;
    // finished() is sent from the worker and queued to this thread, so it
    // ends the loop even when the work is over before the loop has started.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    // The loop may also end because the program is quitting: the work still
    // owns the file, so it is always waited for.
    thread->wait();

    if (failure)
        std::rethrow_exception(failure);
    return result;
}
