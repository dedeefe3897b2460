#include "platform/RuntimeFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// The runtime folder is used for the hand-over only when no one else can
// reach into it, and the lock in it is held by one process at a time.
class TestRuntimeFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { qunsetenv("XDG_RUNTIME_DIR"); }

    void onlyAPrivateFolderIsUsed_data();
    void onlyAPrivateFolderIsUsed();
    void lockIsHeldByOneAtATime();
    void lockOfAnEndedProcessIsFree();
    void lockFileThatIsALinkIsRefused();
};

void TestRuntimeFolder::onlyAPrivateFolderIsUsed_data()
{
    QTest::addColumn<QString>("variable"); // <dir> is a fresh folder, made as `kind` says
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("owner-only folder") << "<dir>/run"
                                       << "0700"
                                       << "<dir>/run";
    QTest::newRow("trailing slash dropped") << "<dir>/run/"
                                            << "0700"
                                            << "<dir>/run";
    QTest::newRow("unset") << QString() << "none"
                           << "";
    QTest::newRow("empty") << ""
                           << "none"
                           << "";
    QTest::newRow("relative") << "run"
                              << "none"
                              << "";
    QTest::newRow("missing") << "<dir>/run"
                             << "none"
                             << "";
    QTest::newRow("a file") << "<dir>/run"
                            << "file"
                            << "";
    QTest::newRow("readable by others") << "<dir>/run"
                                        << "0755"
                                        << "";
    QTest::newRow("open to the group") << "<dir>/run"
                                       << "0710"
                                       << "";
    QTest::newRow("a link to an owner-only folder") << "<dir>/run"
                                                    << "link"
                                                    << "";
    QTest::newRow("another user's") << "<dir>/run"
                                    << "foreign"
                                    << "";
}

void TestRuntimeFolder::onlyAPrivateFolderIsUsed()
{
    QFETCH(QString, variable);
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString run = dir.path() + QStringLiteral("/run");
    if (kind == QLatin1String("file")) {
        QFile file(run);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(::chmod(QFile::encodeName(run).constData(), 0700) == 0);
    } else if (kind == QLatin1String("link")) {
        const QString real = dir.path() + QStringLiteral("/real");
        QVERIFY(QDir().mkdir(real));
        QVERIFY(::chmod(QFile::encodeName(real).constData(), 0700) == 0);
        QVERIFY(QFile::link(real, run));
    } else if (kind != QLatin1String("none")) {
        QVERIFY(QDir().mkdir(run));
        const bool foreign = kind == QLatin1String("foreign");
        if (foreign && ::geteuid() != 0)
            QSKIP("needs root to give a folder to another user");
        QVERIFY(::chmod(QFile::encodeName(run).constData(),
                        foreign ? 0700 : kind.toUInt(nullptr, 8)) == 0);
        if (foreign)
            QVERIFY(::chown(QFile::encodeName(run).constData(), 65534, 65534) == 0);
    }
    variable.replace(QStringLiteral("<dir>"), dir.path());
    expected.replace(QStringLiteral("<dir>"), dir.path());
    if (variable.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(variable));
    QCOMPARE(RuntimeFolder::usable(), expected);
}

void TestRuntimeFolder::lockIsHeldByOneAtATime()
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/velmora2.lock");
    ProcessLock first(path);
    ProcessLock second(path);
    QCOMPARE(first.tryTake(), ProcessLock::State::Taken);
    QCOMPARE(first.tryTake(), ProcessLock::State::Taken);
    QCOMPARE(second.tryTake(), ProcessLock::State::HeldByOther);
    QVERIFY(!second.held());
    first.release();
    QCOMPARE(second.tryTake(), ProcessLock::State::Taken);
    QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFileDevice::Permissions());
}

// A holder that ends without letting go (killed, say) leaves no lock behind.
void TestRuntimeFolder::lockOfAnEndedProcessIsFree()
{
    if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
        QSKIP("flock (util-linux) is not installed");
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/velmora2.lock");
    // The shell opens the file, locks it and becomes the sleep: one process
    // holds the lock, and it ends when killed.
    QProcess holder;
    holder.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("exec 9>\"$1\" && flock -x 9 && exec sleep 60"),
                  QStringLiteral("sh"), path});
    QVERIFY(holder.waitForStarted());
    const auto heldByHolder = [&path] {
        ProcessLock probe(path);
        return probe.tryTake() == ProcessLock::State::HeldByOther;
    };
    QTRY_VERIFY_WITH_TIMEOUT(heldByHolder(), 10000);

    ProcessLock lock(path);
    QCOMPARE(lock.tryTake(), ProcessLock::State::HeldByOther);
    holder.kill();
    QVERIFY(holder.waitForFinished());
    QCOMPARE(lock.tryTake(), ProcessLock::State::Taken);
}

void TestRuntimeFolder::lockFileThatIsALinkIsRefused()
{
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/elsewhere");
    const QString path = dir.path() + QStringLiteral("/velmora2.lock");
    QVERIFY(QFile::link(target, path));
    ProcessLock lock(path);
    QCOMPARE(lock.tryTake(), ProcessLock::State::Unusable);
    QVERIFY(!QFileInfo::exists(target));
}

QTEST_GUILESS_MAIN(TestRuntimeFolder)
#include "TestRuntimeFolder.moc"
