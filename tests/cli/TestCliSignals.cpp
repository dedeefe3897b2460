#include "TestFiles.h"

#include "filecipher/AgeFileCipher.h"
#include "filecipher/FileCipher.h"
#include "platform/DataFolder.h"
#include "platform/ExclusiveNewFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");
const QByteArray KeyLine("signal test key\n");
constexpr qint64 BigSize = qint64(64) << 20;
// Read so far by the child before it is signalled: well inside its file.
constexpr qint64 WellUnderway = qint64(4) << 20;
constexpr int FastWorkFactor = 10;

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

qint64 procValue(qint64 pid, const char *file, const QByteArray &field, int base)
{
    QFile proc(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    if (!proc.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : proc.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().toLongLong(nullptr, base);
    }
    return -1;
}

// Waits until the child catches the stop signals and has read `bytes`
// (its input file, well into the work); false when it ended first.
bool waitUntilWorking(QProcess &child, qint64 bytes)
{
    const qint64 pid = child.processId();
    const qint64 termBit = qint64(1) << (SIGTERM - 1);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000) {
        const qint64 caught = procValue(pid, "status", "SigCgt:", 16);
        if (caught > 0 && (caught & termBit) != 0 && procValue(pid, "io", "rchar:", 10) >= bytes)
            return true;
        if (child.waitForFinished(1))
            return false;
    }
    return false;
}

bool sameContent(const QString &a, const QString &b)
{
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) ||
        first.size() != second.size())
        return false;
    while (!first.atEnd()) {
        if (first.read(1 << 20) != second.read(1 << 20))
            return false;
    }
    return true;
}

bool writeBig(const QString &path, quint32 seed)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block = TestFiles::randomBytes(1 << 20, seed);
    for (qint64 written = 0; written < BigSize; written += block.size()) {
        QByteArray varied = block;
        varied[0] = char(written >> 20); // no two mebibytes alike
        if (out.write(varied) != varied.size())
            return false;
    }
    return true;
}

void startCli(QProcess &child, const QStringList &args)
{
    child.start(Program, args);
    QVERIFY(child.waitForStarted());
    child.write(KeyLine);
    QVERIFY(child.waitForBytesWritten());
    child.closeWriteChannel();
}

} // namespace

// The companion stopped from outside: by Ctrl+C, SIGTERM or SIGHUP it ends
// cleanly (the file in work as it was, nothing of its result left); killed
// outright it can do nothing, and the next run in the folder cleans up.
class TestCliSignals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signalStopsTheRun_data();
    void signalStopsTheRun();
    void killedRunLeavesNoPartFile();
    void nextRunRemovesWhatAKilledRunLeft();
    void signalStopsTheBackup();

private:
    QString templateOf(const QString &run) const { return m_templates.filePath(run); }

    QTemporaryDir m_templates;
};

void TestCliSignals::initTestCase()
{
    if (!QFileInfo(Program).isExecutable())
        QSKIP("velmora2-cli is not built");
    // The inputs of every run, made once: a plain file and its encrypted
    // forms in both formats.
    QVERIFY(writeBig(templateOf("plain"), 31));
    const QString key = QString::fromUtf8(KeyLine.trimmed());
    for (const char *format : {"compatible", "strong"}) {
        const QString copy = templateOf(QStringLiteral("work"));
        QVERIFY(QFile::copy(templateOf("plain"), copy));
        const FileWorkOutcome made = QLatin1String(format) == QLatin1String("strong")
                                         ? AgeFileCipher::encryptFile(copy, key, {}, FastWorkFactor)
                                         : FileCipher::encryptFile(copy, key);
        QVERIFY(made.ok);
        QVERIFY(QFile::rename(made.result, templateOf(QLatin1String(format) + ".enc")));
    }
}

void TestCliSignals::signalStopsTheRun_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("signalName");
    QTest::addColumn<QString>("run");
    const std::pair<int, const char *> signalsSent[] = {
        {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    for (const auto &[number, name] : signalsSent) {
        for (const char *run :
             {"compatible encrypt", "compatible decrypt", "strong encrypt", "strong decrypt"})
            QTest::addRow("%s, %s", name, run)
                << number << QString::fromLatin1(name) << QString::fromLatin1(run);
    }
}

void TestCliSignals::signalStopsTheRun()
{
    QFETCH(int, signalNumber);
    QFETCH(QString, signalName);
    QFETCH(QString, run);
    const bool decrypting = run.endsWith(QLatin1String("decrypt"));
    const bool strong = run.startsWith(QLatin1String("strong"));
    QTemporaryDir dir;
    const QString source =
        decrypting ? templateOf(strong ? "strong.enc" : "compatible.enc") : templateOf("plain");
    const QString input = dir.filePath(decrypting ? "big.bin.enc" : "big.bin");
    QVERIFY(QFile::copy(source, input));

    QStringList args{decrypting ? "decrypt" : "encrypt", "--key-stdin"};
    if (strong && !decrypting)
        args << "--format"
             << "age";
    QProcess child;
    startCli(child, args << input);
    QVERIFY2(waitUntilWorking(child, WellUnderway), "the run ended before it could be signalled");
    QCOMPARE(::kill(pid_t(child.processId()), signalNumber), 0);
    QVERIFY(child.waitForFinished(120000));
    const QString err = QString::fromUtf8(child.readAllStandardError());

    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 1);
    QVERIFY2(err.contains(input + ": stopped; the file was left as it was"), qPrintable(err));
    QVERIFY2(err.endsWith("velmora2-cli: stopped by " + signalName + '\n'), qPrintable(err));
    // The original, whole; no result and no part file.
    QCOMPARE(entriesOf(dir.path()), QStringList{QFileInfo(input).fileName()});
    QVERIFY(sameContent(input, source));
}

// kill -9 leaves the run no time for anything: the original stays, and a
// result made without a name vanishes with the process.
void TestCliSignals::killedRunLeavesNoPartFile()
{
    QTemporaryDir dir;
    const QString input = dir.filePath("big.bin.enc");
    QVERIFY(QFile::copy(templateOf("compatible.enc"), input));
    QProcess child;
    startCli(child, {"decrypt", "--key-stdin", input});
    QVERIFY2(waitUntilWorking(child, WellUnderway), "the run ended before it could be killed");
    QCOMPARE(::kill(pid_t(child.processId()), SIGKILL), 0);
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QVERIFY(sameContent(input, templateOf("compatible.enc")));
    QCOMPARE(entriesOf(dir.path()), QStringList{"big.bin.enc"});

    QProcess again;
    startCli(again, {"decrypt", "--key-stdin", input});
    QVERIFY(again.waitForFinished(120000));
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(entriesOf(dir.path()), QStringList{"big.bin"});
    QVERIFY(sameContent(dir.filePath("big.bin"), templateOf("plain")));
}

// A run that had to name its result from the start (file systems without
// nameless files), killed mid-run, leaves its part file with the plain text
// decrypted so far; the next run in the folder overwrites it, removes it
// and says so.
void TestCliSignals::nextRunRemovesWhatAKilledRunLeft()
{
    QTemporaryDir dir;
    const QString input = dir.filePath("big.bin.enc");
    QVERIFY(QFile::copy(templateOf("compatible.enc"), input));
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t killed = ::fork();
    QVERIFY(killed >= 0);
    if (killed == 0) {
        // The run, in a process of its own, waits mid-file to be killed.
        ::close(ready[0]);
        const ExclusiveNewFile::NamedForTesting named;
        FileCipher::decryptFile(input, QString::fromUtf8(KeyLine.trimmed()),
                                [&](quint64 done, quint64) {
                                    if (done < quint64(WellUnderway))
                                        return;
                                    (void)!::write(ready[1], "r", 1);
                                    for (;;)
                                        ::pause();
                                });
        ::_exit(3);
    }
    ::close(ready[1]);
    char byte = 0;
    QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
    ::close(ready[0]);
    QCOMPARE(::kill(killed, SIGKILL), 0);
    int status = 0;
    QCOMPARE(::waitpid(killed, &status, 0), killed);
    QVERIFY(WIFSIGNALED(status));

    QStringList left = entriesOf(dir.path());
    left.removeOne("big.bin.enc");
    QCOMPARE(left.size(), 1);
    const QString leftover = left.first();
    QVERIFY2(ExclusiveNewFile::isPartFileName(leftover), qPrintable(leftover));
    const QString leftoverPath = dir.filePath(leftover);
    // A descriptor of the leftover shows what becomes of its bytes.
    const int watcher = ::open(QFile::encodeName(leftoverPath).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(watcher >= 0);
    QByteArray head(4096, '\0');
    QCOMPARE(::pread(watcher, head.data(), size_t(head.size()), 0), ssize_t(head.size()));
    QCOMPARE(head, TestFiles::read(templateOf("plain")).left(head.size()));

    QProcess next;
    startCli(next, {"decrypt", "--key-stdin", input});
    QVERIFY(next.waitForFinished(120000));
    const QString err = QString::fromUtf8(next.readAllStandardError());
    QCOMPARE(next.exitCode(), 0);
    QCOMPARE(err, QStringLiteral("velmora2-cli: An earlier run that was interrupted left 1 part "
                                 "file(s) in %1. They were overwritten once and removed: %2\n")
                      .arg(dir.path(), leftover));
    QCOMPARE(entriesOf(dir.path()), QStringList{"big.bin"});
    QVERIFY(sameContent(dir.filePath("big.bin"), templateOf("plain")));
    const qint64 size = ::lseek(watcher, 0, SEEK_END);
    QVERIFY(size >= WellUnderway);
    QByteArray after(int(size), 'x');
    QCOMPARE(::pread(watcher, after.data(), size_t(after.size()), 0), ssize_t(size));
    ::close(watcher);
    QVERIFY(after == QByteArray(after.size(), '\0'));
}

// The backup finishes the copy in work (each copy replaces its target
// whole) and stops before the next file.
void TestCliSignals::signalStopsTheBackup()
{
    const QString data = DataFolder::path();
    QVERIFY(QDir().mkpath(data));
    QVERIFY(QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QFile::copy(templateOf("plain"), data + "/a-large.bin"));
    QVERIFY(TestFiles::write(data + "/velmora.ini", "settings"));
    QVERIFY(TestFiles::write(data + "/z.txt", "last"));
    QTemporaryDir target;

    QProcess child;
    child.start(Program, {"backup", target.path()});
    QVERIFY(child.waitForStarted());
    QVERIFY2(waitUntilWorking(child, WellUnderway),
             "the backup ended before it could be signalled");
    QCOMPARE(::kill(pid_t(child.processId()), SIGTERM), 0);
    QVERIFY(child.waitForFinished(60000));
    const QString err = QString::fromUtf8(child.readAllStandardError());

    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 1);
    QVERIFY2(err.startsWith("velmora2-cli: backup stopped by SIGTERM before "), qPrintable(err));
    const QStringList copied = entriesOf(target.path());
    QVERIFY(copied.size() < 3);
    for (const QString &name : copied)
        QVERIFY2(sameContent(target.filePath(name), data + '/' + name), qPrintable(name));
    QVERIFY(QDir(data).removeRecursively());
}

QTEST_GUILESS_MAIN(TestCliSignals)
#include "TestCliSignals.moc"
