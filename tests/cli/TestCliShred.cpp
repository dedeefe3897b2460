#include "CliCommand.h"
#include "CliTestRun.h"
#include "PassWatch.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/file.h>
#include <unistd.h>

namespace {

CliRun runShred(const QStringList &args, bool terminal = false, const QString &input = QString())
{
    return runCliInProcess(QStringList{QStringLiteral("shred")} + args, input, terminal, terminal);
}

} // namespace

class TestCliShred : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString make(const QString &name, qsizetype size = 3000)
    {
        QString file = path(name);
        TestFiles::write(file, TestFiles::randomBytes(size, 11));
        return file;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void yesDeletesWithoutAsking()
    {
        const QString a = make(QStringLiteral("a.bin"));
        const QString b = make(QStringLiteral("b.bin"), 0);
        const CliRun run = runShred(
            {QStringLiteral("--yes"), QStringLiteral("--count"), QStringLiteral("1"), a, b});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QStringLiteral("2 file(s) deleted, 0 file(s) refused\n"));
        QVERIFY(run.err.isEmpty());
        QVERIFY(!QFileInfo::exists(a) && !QFileInfo::exists(b));
    }

    void asksOnTheTerminal_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("y") << QStringLiteral("y\n") << true;
        QTest::newRow("yes") << QStringLiteral("Yes\n") << true;
        QTest::newRow("n") << QStringLiteral("n\n") << false;
        QTest::newRow("empty line") << QStringLiteral("\n") << false;
        QTest::newRow("end of input") << QString() << false;
    }

    void asksOnTheTerminal()
    {
        QFETCH(QString, answer);
        QFETCH(bool, deleted);
        const QString a = make(QStringLiteral("ask1.bin"));
        const QString b = make(QStringLiteral("ask2.bin"));
        const QByteArray content = TestFiles::read(a);

        const CliRun run = runShred({a, b}, true, answer);

        QVERIFY(run.err.startsWith(
            QStringLiteral("2 file(s) selected. Really delete these file(s)? [y/N] ")));
        QCOMPARE(run.code, 0);
        QCOMPARE(QFileInfo::exists(a), !deleted);
        if (deleted) {
            QCOMPARE(run.out, QStringLiteral("2 file(s) deleted, 0 file(s) refused\n"));
        } else {
            QVERIFY(run.out.isEmpty());
            QVERIFY(run.err.contains(QStringLiteral("nothing deleted")));
            QCOMPARE(TestFiles::read(a), content);
            QFile::remove(a);
            QFile::remove(b);
        }
    }

    void refusesWithoutTerminalUnlessYes()
    {
        const QString a = make(QStringLiteral("noterm.bin"));
        const QByteArray content = TestFiles::read(a);
        const CliRun run = runShred({a}, false, QStringLiteral("y\n"));
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.contains(QStringLiteral("--yes")));
        QVERIFY(run.out.isEmpty());
        QCOMPARE(TestFiles::read(a), content);
        QVERIFY(QFile::remove(a));
    }

    void refusedAndMissingFilesGiveExitOne()
    {
        const QString held = make(QStringLiteral("held.bin"));
        const QString free = make(QStringLiteral("free.bin"));
        const QString missing = path(QStringLiteral("missing.bin"));
        const QByteArray content = TestFiles::read(held);
        QFile holder(held);
        QVERIFY(holder.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder.handle(), LOCK_SH), 0);

        const CliRun run = runShred({QStringLiteral("-y"), held, missing, free});

        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, QStringLiteral("1 file(s) deleted, 2 file(s) refused\n"));
        QVERIFY2(
            run.err.contains(held + QStringLiteral(": cannot open: in use by another program")),
            qPrintable(run.err));
        QVERIFY2(run.err.contains(missing + QStringLiteral(": no such file")), qPrintable(run.err));
        QCOMPARE(TestFiles::read(held), content);
        QVERIFY(!QFileInfo::exists(free));
    }

    void linkIsRefusedAndSaysSo()
    {
        const QString target = make(QStringLiteral("target.bin"));
        const QString link = path(QStringLiteral("link.bin"));
        QVERIFY(QFile::link(target, link));
        const QByteArray content = TestFiles::read(target);
        const CliRun run = runShred({QStringLiteral("--yes"), link});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(link + QStringLiteral(": is a symbolic link: refused")),
                 qPrintable(run.err));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(TestFiles::read(target), content);
        QVERIFY(QFile::remove(link));
    }

    void interruptFinishesThePassAndRestoresTheMode_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void interruptFinishesThePassAndRestoresTheMode()
    {
        QFETCH(int, signalNumber);
        const QString program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");
        if (!QFileInfo(program).isExecutable())
            QSKIP("velmora2-cli is not built");
        // Large enough that ten times two passes take far longer than it
        // takes to send the signal.
        const qint64 size = qint64(64) << 20;
        const QString file = path(QStringLiteral("interrupted.bin"));
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            QVERIFY(out.write(QByteArray(size, 'p')) == size);
        }
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));

        QProcess child;
        child.setReadChannel(QProcess::StandardError);
        child.start(program, {QStringLiteral("shred"), QStringLiteral("--count"),
                              QStringLiteral("10"), QStringLiteral("--yes"), file});
        QVERIFY(child.waitForStarted());
        // The line that says the work on the file has begun.
        QByteArray err;
        while (!err.contains("overwriting") && child.waitForReadyRead(30000))
            err += child.readAllStandardError();
        QVERIFY2(err.contains("overwriting"), err.constData());
        QCOMPARE(::kill(child.processId(), signalNumber), 0);
        QVERIFY(child.waitForFinished(120000));
        err += child.readAllStandardError();

        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 1);
        QVERIFY2(err.contains(file.toUtf8() + " is partly overwritten"), err.constData());
        QCOMPARE(QFileInfo(file).size(), size);
        QCOMPARE(QFile::permissions(file) & (QFile::WriteOwner | QFile::ReadOwner),
                 QFile::ReadOwner);
        // Whole passes only: every byte is the same pass byte.
        const QByteArray content = TestFiles::read(file);
        const char first = content.at(0);
        QVERIFY(first == char(0x3E) || first == char(0xC1));
        QCOMPARE(content.count(first), size);
        QVERIFY(QFile::remove(file));
    }

    void fileChangedDuringThePassesIsKept_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason");
        QTest::newRow("another file renamed to its name")
            << QStringLiteral("replace")
            << QStringLiteral("was replaced by another file while being overwritten: not "
                              "deleted; the file now under its name was left unchanged");
        QTest::newRow("cut short")
            << QStringLiteral("cut")
            << QStringLiteral("was cut short by another program while being overwritten: not "
                              "deleted, partly overwritten");
    }

    void fileChangedDuringThePassesIsKept()
    {
        // The companion runs as a program of its own; this test is the other
        // program that acts on the file while the passes are written.
        QFETCH(QString, change);
        QFETCH(QString, reason);
        const QString program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");
        if (!QFileInfo(program).isExecutable())
            QSKIP("velmora2-cli is not built");
        const qint64 size = qint64(40) << 20;
        const QString file = path(QStringLiteral("changed.bin"));
        const QString other = path(QStringLiteral("other.bin"));
        QVERIFY(TestFiles::write(file, QByteArray(size, 'p')));
        const QByteArray otherBytes = TestFiles::randomBytes(5000, 12);
        QVERIFY(TestFiles::write(other, otherBytes));
        const auto cleanUp = qScopeGuard([&] {
            QFile::remove(file);
            QFile::remove(other);
            QFile::remove(file + QStringLiteral(".old"));
        });

        QProcess child;
        child.start(program, {QStringLiteral("shred"), QStringLiteral("--count"),
                              QStringLiteral("2"), QStringLiteral("--yes"), file});
        QVERIFY(child.waitForStarted());
        QVERIFY(PassWatch::waitForFirstPass(file));
        if (change == QLatin1String("replace")) {
            QVERIFY(QFile::rename(file, file + QStringLiteral(".old")));
            QVERIFY(QFile::rename(other, file));
        } else {
            QCOMPARE(::truncate(QFile::encodeName(file).constData(), 1 << 20), 0);
        }
        QVERIFY(child.waitForFinished(120000));
        const QString err = QString::fromUtf8(child.readAllStandardError());

        QCOMPARE(child.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()),
                 QStringLiteral("0 file(s) deleted, 1 file(s) refused\n"));
        QVERIFY2(err.contains(file + QStringLiteral(": ") + reason), qPrintable(err));
        if (change == QLatin1String("replace"))
            QCOMPARE(TestFiles::read(file), otherBytes);
        else
            QVERIFY(QFileInfo::exists(file));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no files") << QStringList{QStringLiteral("--yes")}
                                  << QStringLiteral("no files given");
        QTest::newRow("count without value")
            << QStringList{QStringLiteral("--count")} << QStringLiteral("--count needs a number");
        QTest::newRow("count not a number")
            << QStringList{QStringLiteral("--count=two"), QStringLiteral("f")}
            << QStringLiteral("--count needs a whole number");
        QTest::newRow("count too large for 32 bits")
            << QStringList{QStringLiteral("--count"), QStringLiteral("99999999999"),
                           QStringLiteral("f")}
            << QStringLiteral("--count needs a whole number");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--force"), QStringLiteral("f")}
            << QStringLiteral("unknown option");
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const CliRun run = runShred(args, true);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void countIsClamped_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("note");
        QTest::newRow("0") << QStringLiteral("0")
                           << QStringLiteral("overwrite count 0 is outside 1 to 10; using 1");
        QTest::newRow("25") << QStringLiteral("25")
                            << QStringLiteral("overwrite count 25 is outside 1 to 10; using 10");
        QTest::newRow("10") << QStringLiteral("10") << QString();
    }

    void countIsClamped()
    {
        QFETCH(QString, count);
        QFETCH(QString, note);
        const QString file = make(QStringLiteral("clamped.bin"), 100);
        const CliRun run =
            runShred({QStringLiteral("--count=") + count, QStringLiteral("--yes"), file});
        QCOMPARE(run.code, 0);
        if (note.isEmpty())
            QVERIFY(run.err.isEmpty());
        else
            QVERIFY2(run.err.contains(note), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(file));
    }

    void programAsAChildProcess()
    {
        // The real program: its standard input is a pipe, not a terminal.
        const QString program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");
        if (!QFileInfo(program).isExecutable())
            QSKIP("velmora2-cli is not built");
        const QString file = make(QStringLiteral("child.bin"), 20000);
        const QByteArray content = TestFiles::read(file);

        QProcess asking;
        asking.start(program, {QStringLiteral("shred"), file});
        asking.write("y\n");
        asking.closeWriteChannel();
        QVERIFY(asking.waitForFinished(30000));
        QCOMPARE(asking.exitCode(), 2);
        QCOMPARE(TestFiles::read(file), content);

        QProcess confirmed;
        confirmed.start(program, {QStringLiteral("shred"), QStringLiteral("--yes"), file});
        QVERIFY(confirmed.waitForFinished(30000));
        QCOMPARE(confirmed.exitCode(), 0);
        QCOMPARE(confirmed.readAllStandardOutput(),
                 QByteArray("1 file(s) deleted, 0 file(s) refused\n"));
        QVERIFY(!QFileInfo::exists(file));
    }

    void doubleDashEndsOptions()
    {
        const QString file = make(QStringLiteral("--yes"));
        QVERIFY(QDir::setCurrent(m_dir.path()));
        const CliRun run =
            runShred({QStringLiteral("-y"), QStringLiteral("--"), QStringLiteral("--yes")});
        QCOMPARE(run.code, 0);
        QVERIFY(!QFileInfo::exists(file));
    }
};

QTEST_GUILESS_MAIN(TestCliShred)
#include "TestCliShred.moc"
