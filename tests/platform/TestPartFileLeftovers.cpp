#include "TestFiles.h"
#include "platform/ExclusiveNewFile.h"
#include "platform/PartFileLeftovers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Leftover = QStringLiteral(".a.txt.k3x9q0.velmora-part");

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

// What an earlier run left behind is overwritten and removed; everything
// that is not surely such a leftover stays exactly as it was.
class TestPartFileLeftovers : public QObject
{
    Q_OBJECT

private slots:
    // The leftover's bytes are gone from the disk, not only its name: a
    // descriptor opened before reads zeros afterwards.
    void leftoverIsOverwrittenAndRemoved_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("private, as runs make them") << 0600;
        QTest::newRow("the original's mode, as older runs left them") << 0644;
        QTest::newRow("read-only") << 0400;
    }
    void leftoverIsOverwrittenAndRemoved()
    {
        QFETCH(int, mode);
        QTemporaryDir dir;
        const QString path = dir.filePath(Leftover);
        const QByteArray plain = TestFiles::randomBytes(3 * 1024 * 1024 + 17, 5);
        QVERIFY(TestFiles::write(path, plain));
        QVERIFY(TestFiles::write(dir.filePath("a.txt.enc"), "the encrypted original"));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
        const int watcher = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(watcher >= 0);

        QCOMPARE(PartFileLeftovers::removeFrom(dir.path()), QStringList{Leftover});

        QCOMPARE(entriesOf(dir.path()), QStringList{"a.txt.enc"});
        QByteArray after(plain.size(), 'x');
        QCOMPARE(::pread(watcher, after.data(), size_t(after.size()), 0), ssize_t(plain.size()));
        ::close(watcher);
        QCOMPARE(after, QByteArray(plain.size(), '\0'));
    }

    void othersStay_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("a part file a living run writes") << "living run";
        QTest::newRow("a link with a part file's name") << "link";
        QTest::newRow("a part file with a second name") << "second name";
        QTest::newRow("a folder with a part file's name") << "folder";
        QTest::newRow("a pipe with a part file's name") << "pipe";
        QTest::newRow("a name of another form") << "other name";
        QTest::newRow("a file locked by another program") << "locked";
        QTest::newRow("a file of another user") << "other user";
    }
    void othersStay()
    {
        QFETCH(QString, what);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("victim"), "the user's file"));
        const QByteArray path = QFile::encodeName(dir.filePath(Leftover));
        ExclusiveNewFile living;
        int lockHolder = -1;
        if (what == QLatin1String("living run")) {
            const ExclusiveNewFile::NamedForTesting named;
            QVERIFY(living.create(dir.filePath("a.txt")));
            QVERIFY(living.write(QByteArrayView("being written")));
        } else if (what == QLatin1String("link")) {
            QVERIFY(QFile::link(dir.filePath("victim"), dir.filePath(Leftover)));
        } else if (what == QLatin1String("second name")) {
            QCOMPARE(
                ::link(QFile::encodeName(dir.filePath("victim")).constData(), path.constData()), 0);
        } else if (what == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(dir.filePath(Leftover)));
        } else if (what == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        } else if (what == QLatin1String("other name")) {
            QVERIFY(TestFiles::write(dir.filePath(".a.txt.k3x9q0.velmora-part.keep"), "mine"));
        } else if (what == QLatin1String("other user")) {
            if (::geteuid() != 0)
                QSKIP("only root can give a file to another user");
            QVERIFY(TestFiles::write(dir.filePath(Leftover), "theirs"));
            QCOMPARE(::chown(path.constData(), 65534, 65534), 0);
        } else if (what == QLatin1String("locked")) {
            QVERIFY(TestFiles::write(dir.filePath(Leftover), "held"));
            lockHolder = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
            QVERIFY(lockHolder >= 0);
            QCOMPARE(::flock(lockHolder, LOCK_EX | LOCK_NB), 0);
        }
        const QStringList before = entriesOf(dir.path());

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(PartFileLeftovers::removeFrom(dir.path()), QStringList());
        QVERIFY(clock.elapsed() < 5000); // a pipe is never waited on

        QCOMPARE(entriesOf(dir.path()), before);
        QCOMPARE(TestFiles::read(dir.filePath("victim")), QByteArray("the user's file"));
        if (what == QLatin1String("locked")) {
            QCOMPARE(TestFiles::read(dir.filePath(Leftover)), QByteArray("held"));
            ::close(lockHolder);
        }
        if (what == QLatin1String("living run")) {
            QVERIFY(living.flushToDisk());
            QVERIFY(living.place(ExclusiveNewFile::Placing::OnlyIfAbsent));
            QCOMPARE(TestFiles::read(dir.filePath("a.txt")), QByteArray("being written"));
        }
    }
};

QTEST_GUILESS_MAIN(TestPartFileLeftovers)
#include "TestPartFileLeftovers.moc"
