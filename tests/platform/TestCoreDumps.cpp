#include "platform/CoreDumps.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class TestCoreDumps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // In a child process, so that this test keeps its own settings.
    void aProcessThatTurnsThemOffWritesNone()
    {
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            const bool ok = CoreDumps::disableForThisProcess();
            rlimit limit{};
            ::getrlimit(RLIMIT_CORE, &limit);
            const int report[4] = {ok ? 1 : 0, int(limit.rlim_cur), int(limit.rlim_max),
                                   ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0)};
            [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], report, sizeof report);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        int report[4] = {-1, -1, -1, -1};
        QCOMPARE(::read(pipeEnds[0], report, sizeof report), ssize_t(sizeof report));
        ::close(pipeEnds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        QCOMPARE(report[0], 1); // the system agreed
        QCOMPARE(report[1], 0); // core file size limit
        QCOMPARE(report[2], 0); // and its hard limit: cannot be raised again
        QCOMPARE(report[3], 0); // not dumpable
    }

    // The command-line program does it before anything else: while it waits
    // for a key on standard input, its limits already say no core file.
    void theCommandLineProgramRunsWithoutCoreDumps()
    {
        QProcess cli;
        cli.start(QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli"),
                  {"keyfile", "write", "--key-stdin", "/nonexistent/x.key"});
        QVERIFY(cli.waitForStarted());
        const QString limits = QStringLiteral("/proc/%1/limits").arg(cli.processId());
        QString line;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QFile file(limits);
                if (!file.open(QIODevice::ReadOnly))
                    return false;
                for (const QByteArray &entry : file.readAll().split('\n')) {
                    if (entry.startsWith("Max core file size"))
                        line = QString::fromLatin1(entry.simplified());
                }
                return line == QLatin1String("Max core file size 0 0 bytes");
            }(),
            5000);
        cli.closeWriteChannel();
        QVERIFY(cli.waitForFinished());
    }
};

QTEST_GUILESS_MAIN(TestCoreDumps)
#include "TestCoreDumps.moc"
