#pragma once

#include "platform/StopSignals.h"

#include <QObject>

#include <memory>

class QSocketNotifier;

// The stop signals (SIGINT, SIGTERM, SIGHUP: a logout, a shutdown, a kill
// without -9) as an event of the program's own thread, for a program with
// an event loop: the handler only wakes the loop, and stopRequested() comes
// on the thread that made this object, as often as a signal arrives. Every
// signal is caught while the object lives, so that the program ends through
// its own way of ending.
class StopSignalNotifier : public QObject
{
    Q_OBJECT

public:
    explicit StopSignalNotifier(QObject *parent = nullptr);
    ~StopSignalNotifier() override;

Q_SIGNALS:
    void stopRequested();

private:
    void wake();

    StopSignals m_signals{StopSignals::Repeat::Caught};
    std::unique_ptr<QSocketNotifier> m_notifier;
};
