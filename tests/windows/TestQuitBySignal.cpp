#include "platform/FileIdentity.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

const QString Program = QStringLiteral(VELMORA_BIN_DIR "/velmora2");

qint64 caughtSignals(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return line.mid(7).trimmed().toLongLong(nullptr, 16);
    }
    return 0;
}

} // namespace

// The desktop program sent a stop signal, as at a logout or a shutdown:
// it ends through its own Quit (the settings written back, exit code 0),
// promptly when no run is in work.
class TestQuitBySignal : public QObject
{
    Q_OBJECT

private slots:
    void idleProgramQuits_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void idleProgramQuits()
    {
        QFETCH(int, signalNumber);
        if (!QFileInfo(Program).isExecutable())
            QSKIP("velmora2 is not built");
        const QString settings =
            QDir::fromNativeSeparators(qEnvironmentVariable("XDG_CONFIG_HOME")) +
            QStringLiteral("/velmora/velmora.ini");
        QFile::remove(settings);

        QProcess program;
        program.start(Program, {});
        QVERIFY(program.waitForStarted());
        // Started: the first start stores a new personal key; the signals
        // are caught from before that.
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(settings) && clock.elapsed() < 30000)
            QVERIFY(!program.waitForFinished(20));
        QVERIFY(QFileInfo::exists(settings));
        const qint64 bit = qint64(1) << (signalNumber - 1);
        QVERIFY((caughtSignals(program.processId()) & bit) != 0);
        // Let the start-up come to rest (it shows its reminder to set a
        // password), then note which file holds the settings.
        QVERIFY(!program.waitForFinished(500));
        const FileIdentity started = FileIdentity::ofPath(settings);

        QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
        clock.restart();
        QVERIFY(program.waitForFinished(10000));
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        // Quit wrote the settings back: a new file replaced the one of the
        // start.
        const FileIdentity ended = FileIdentity::ofPath(settings);
        QCOMPARE(ended.kind, FileIdentity::Kind::RegularFile);
        QVERIFY(!ended.sameFile(started));
    }
};

QTEST_GUILESS_MAIN(TestQuitBySignal)
#include "TestQuitBySignal.moc"
