#include "platform/StopSignalNotifier.h"
#include "platform/StopSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <poll.h>
#include <signal.h>

namespace {

extern "C" void testHandler(int) {}

bool readable(int descriptor)
{
    pollfd entry{descriptor, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLIN) != 0;
}

void (*handlerOf(int number))(int)
{
    struct sigaction current
    {
    };
    ::sigaction(number, nullptr, &current);
    return current.sa_handler;
}

} // namespace

// The stop signals reach a run as a flag and an event loop as a readable
// pipe; the handlers that were there before come back afterwards.
class TestStopSignals : public QObject
{
    Q_OBJECT

private slots:
    void eachSignalIsCaught_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("SIGINT") << int(SIGINT) << int(StopSignals::Kind::Interrupt) << "SIGINT";
        QTest::newRow("SIGTERM") << int(SIGTERM) << int(StopSignals::Kind::Terminate) << "SIGTERM";
        QTest::newRow("SIGHUP") << int(SIGHUP) << int(StopSignals::Kind::HangUp) << "SIGHUP";
    }
    void eachSignalIsCaught()
    {
        QFETCH(int, number);
        QFETCH(int, kind);
        QFETCH(QString, name);
        struct sigaction own
        {
        };
        own.sa_handler = testHandler;
        struct sigaction before
        {
        };
        QCOMPARE(::sigaction(number, &own, &before), 0);
        {
            StopSignals stops(StopSignals::Repeat::Caught);
            QVERIFY(!stops.stopRequested());
            QCOMPARE(stops.kind(), StopSignals::Kind::None);
            QVERIFY(!readable(stops.wakeDescriptor()));

            QCOMPARE(::raise(number), 0);
            QVERIFY(stops.stopRequested());
            QCOMPARE(int(stops.kind()), kind);
            QCOMPARE(QString::fromLatin1(StopSignals::nameOf(stops.kind())), name);
            QVERIFY(readable(stops.wakeDescriptor()));
            stops.takeWakeBytes();
            QVERIFY(!readable(stops.wakeDescriptor()));
            // Caught again: the process goes on.
            QCOMPARE(::raise(number), 0);
            QVERIFY(readable(stops.wakeDescriptor()));
        }
        QVERIFY(handlerOf(number) == &testHandler);
        ::sigaction(number, &before, nullptr);
    }

    // The companion's way: after the first signal of a kind, a second one
    // acts as usual and ends the process.
    void firstSignalOnlyWhenRepeatEnds()
    {
        const StopSignals stops;
        QVERIFY(handlerOf(SIGHUP) != SIG_DFL);
        QCOMPARE(::raise(SIGHUP), 0);
        QVERIFY(stops.stopRequested());
        QVERIFY(handlerOf(SIGHUP) == SIG_DFL);
        QVERIFY(handlerOf(SIGTERM) != SIG_DFL);
    }

    // The desktop program's way: each signal becomes an event of the
    // program's own thread.
    void notifierTurnsSignalsIntoEvents()
    {
        const StopSignalNotifier notifier;
        QSignalSpy stops(&notifier, &StopSignalNotifier::stopRequested);
        QCOMPARE(::raise(SIGTERM), 0);
        QVERIFY(stops.wait(5000));
        QCOMPARE(::raise(SIGHUP), 0);
        QTRY_COMPARE(stops.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestStopSignals)
#include "TestStopSignals.moc"
