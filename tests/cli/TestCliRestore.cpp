#include "CliTestRun.h"
#include "TestFiles.h"
#include "keys/ApplicationTextKey.h"
#include "platform/DataFolder.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>

#include <poll.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral(VELMORA_BIN_DIR "/velmora2-cli");

QByteArray settingsWithKey(const QString &key)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("velmora.ini");
    SettingsFile::writeLines(path, QByteArray(ApplicationTextKey),
                             {"", " ", key, "1", "", " ", " ", " ", "false", "", ""});
    return TestFiles::read(path);
}

QStringList everythingIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The state letter of a process ('T' once a stop signal has taken effect).
char processState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return '?';
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    return end >= 0 && end + 2 < line.size() ? line.at(end + 2) : '?';
}

bool waitUntilStopped(qint64 pid)
{
    QElapsedTimer timer;
    timer.start();
    while (processState(pid) != 'T') {
        if (timer.elapsed() > 5000)
            return false;
        ::usleep(200);
    }
    return true;
}

// Names created in a watched folder since the last call, waiting up to
// timeout for the first.
QStringList createdNames(int watcher, int timeoutMs)
{
    QStringList names;
    pollfd ready{watcher, POLLIN, 0};
    if (::poll(&ready, 1, timeoutMs) <= 0)
        return names;
    alignas(inotify_event) char buffer[4096];
    const ssize_t got = ::read(watcher, buffer, sizeof buffer);
    for (ssize_t at = 0; at < got;) {
        const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
        if (event->len > 0)
            names << QFile::decodeName(event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    return names;
}

// Runs the test's thread and the child on one processor, the child at the
// lowest priority: when the child creates a file, the test is woken at once
// and can stop the child before it writes on.
class OneProcessor
{
public:
    OneProcessor()
    {
        ::sched_getaffinity(0, sizeof m_before, &m_before);
        CPU_ZERO(&m_one);
        CPU_SET(::sched_getcpu(), &m_one);
        ::sched_setaffinity(0, sizeof m_one, &m_one);
    }
    ~OneProcessor() { ::sched_setaffinity(0, sizeof m_before, &m_before); }
    OneProcessor(const OneProcessor &) = delete;
    OneProcessor &operator=(const OneProcessor &) = delete;

    void applyToChild() const
    {
        ::sched_setaffinity(0, sizeof m_one, &m_one);
        ::setpriority(PRIO_PROCESS, 0, 19);
    }

private:
    cpu_set_t m_before{};
    cpu_set_t m_one{};
};

} // namespace

// Where velmora2-cli restore takes its files from, and how it stops.
class TestCliRestore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // /proc/self lists files that never end: refused at once, nothing copied.
    void restoreFromProcIsRefusedAtOnce()
    {
        QElapsedTimer timer;
        timer.start();
        const CliRun run = runCliInProcess({"restore", "/proc/self"});
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("velmora2-cli: The folder /proc/self lies on a system file "
                                  "system (proc), not on a drive. Nothing was restored."),
                 qPrintable(run.err));
        QCOMPARE(run.out, QString());
        QCOMPARE(everythingIn(DataFolder::path()), QStringList());
    }

    // SIGTERM in the middle of a copy: the program removes the copy, keeps
    // the data folder as it was and says so with exit code 1. The child is
    // stopped (SIGSTOP) right after it made the folder for the previous files
    // (the copies themselves are written without a name until they are
    // complete), signalled while no file was restored yet, and let go on.
    void stopSignalInTheMiddleOfACopy()
    {
        if (!QFileInfo(Program).isExecutable())
            QSKIP("velmora2-cli is not built");
        QTemporaryDir backup;
        QVERIFY(TestFiles::write(backup.filePath("velmora.ini"), settingsWithKey("restored")));
        for (int k = 0; k < 10; ++k)
            QVERIFY(TestFiles::write(backup.filePath(QStringLiteral("f%1").arg(k)),
                                     TestFiles::randomBytes(90 * 1024, k + 1)));
        const QByteArray current = settingsWithKey(QStringLiteral("current"));
        const OneProcessor oneProcessor;

        for (int attempt = 1; attempt <= 30; ++attempt) {
            QTemporaryDir config;
            const QString data = config.filePath("velmora");
            QVERIFY(QDir().mkdir(data));
            QVERIFY(QFile::setPermissions(data, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner));
            QVERIFY(TestFiles::write(data + "/velmora.ini", current));
            const int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            QVERIFY(watcher >= 0);
            QVERIFY(::inotify_add_watch(watcher, QFile::encodeName(data).constData(), IN_CREATE) >=
                    0);

            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
            child.setProcessEnvironment(environment);
            child.setChildProcessModifier([&oneProcessor] { oneProcessor.applyToChild(); });
            child.start(Program, {QStringLiteral("restore"), backup.path()});
            QVERIFY(child.waitForStarted());
            const qint64 pid = child.processId();

            bool signalled = false;
            while (!signalled && child.state() == QProcess::Running) {
                const QStringList created = createdNames(watcher, 20);
                const bool firstCopy =
                    std::any_of(created.begin(), created.end(), [](const QString &name) {
                        return name.startsWith(QLatin1String("before-restore-"));
                    });
                if (!firstCopy) {
                    child.waitForFinished(0);
                    continue;
                }
                ::kill(static_cast<pid_t>(pid), SIGSTOP);
                QVERIFY(waitUntilStopped(pid));
                signalled = !everythingIn(data).contains(QStringLiteral("f0"));
                if (signalled)
                    ::kill(static_cast<pid_t>(pid), SIGTERM);
                ::kill(static_cast<pid_t>(pid), SIGCONT);
                break;
            }
            ::close(watcher);
            QVERIFY(child.waitForFinished(60000));
            if (!signalled)
                continue; // the copy was done before the child could be stopped

            const QString err = QString::fromUtf8(child.readAllStandardError());
            QCOMPARE(child.exitStatus(), QProcess::NormalExit);
            QCOMPARE(child.exitCode(), 1);
            QVERIFY2(err.contains("velmora2-cli: The restore was stopped. Nothing was restored."),
                     qPrintable(err));
            QCOMPARE(everythingIn(data), QStringList{"velmora.ini"});
            QCOMPARE(TestFiles::read(data + "/velmora.ini"), current);
            return;
        }
        QFAIL("the child finished every copy before it could be stopped");
    }
};

QTEST_GUILESS_MAIN(TestCliRestore)
#include "TestCliRestore.moc"
