#include "filetexts/FileProblemText.h"
#include "platform/AtomicFile.h"
#include "platform/FolderCopy.h"
#include "platform/SafeOpen.h"
#include "platform/SystemError.h"

#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Puts the named kind of entry at path; "victim" is a regular file beside it
// that a link points to.
bool plant(const QString &kind, const QString &path, const QString &victim)
{
    const QByteArray native = QFile::encodeName(path);
    if (kind == QLatin1String("link"))
        return QFile::link(victim, path);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(native.constData(), 0600) == 0;
    if (kind == QLatin1String("folder"))
        return ::mkdir(native.constData(), 0700) == 0;
    if (kind == QLatin1String("socket")) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (native.size() >= qsizetype(sizeof address.sun_path))
            return false;
        std::memcpy(address.sun_path, native.constData(), native.size());
        const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        ::close(fd);
        return bound;
    }
    return false;
}

} // namespace

class TestSafeOpen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readRefusesWhatIsNoRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("refusal");
        QTest::newRow("link to a file") << "link" << int(FileProblem::Kind::Link);
        QTest::newRow("named pipe") << "fifo" << int(FileProblem::Kind::Special);
        QTest::newRow("socket") << "socket" << int(FileProblem::Kind::Special);
        QTest::newRow("folder") << "folder" << int(FileProblem::Kind::Folder);
        QTest::newRow("device") << "/dev/null" << int(FileProblem::Kind::Special);
    }

    void readRefusesWhatIsNoRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(int, refusal);
        QTemporaryDir dir;
        const QString victim = dir.filePath("victim");
        QVERIFY(TestFiles::write(victim, "the user's file"));
        QString path = dir.filePath("entry");
        if (kind.startsWith(QLatin1Char('/')))
            path = kind;
        else
            QVERIFY(plant(kind, path, victim));

        QElapsedTimer clock;
        clock.start();
        FileProblem problem;
        QVERIFY(!SafeOpen::readAll(path, 1024, &problem));
        QVERIFY2(clock.elapsed() < 2000, "waited on the entry");
        QCOMPARE(int(problem.kind), refusal);
        QVERIFY(FileProblemText::text(problem, Language::English).contains(path));
        QVERIFY(!FileProblemText::text(problem, Language::German).isEmpty());
        // Reading a key file must not have cost the user anything.
        QCOMPARE(TestFiles::read(victim), QByteArray("the user's file"));
    }

    void writingReplacesAndNeverWritesThrough_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to the user's file") << "link";
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("socket") << "socket";
    }

    // AtomicFile (settings and key files) and FolderCopy (backup, restore)
    // replace what lies at the target by rename; a link's file stays as it was.
    void writingReplacesAndNeverWritesThrough()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString victim = dir.filePath("victim");
        QVERIFY(TestFiles::write(victim, "the user's file"));
        QVERIFY(TestFiles::write(dir.filePath("source"), "copied"));
        for (const QString &name : {QStringLiteral("written"), QStringLiteral("copied")})
            QVERIFY(plant(kind, dir.filePath(name), victim));

        QElapsedTimer clock;
        clock.start();
        QVERIFY(AtomicFile::write(dir.filePath("written"), "new bytes"));
        QVERIFY(FolderCopy::copyReplacing(dir.filePath("source"), dir.filePath("copied")));
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(TestFiles::read(victim), QByteArray("the user's file"));
        QCOMPARE(SafeOpen::kindAt(dir.filePath("written")), FileProblem::Kind::None);
        QCOMPARE(TestFiles::read(dir.filePath("written")), QByteArray("new bytes"));
        QCOMPARE(TestFiles::read(dir.filePath("copied")), QByteArray("copied"));
    }

    void aFailedWriteLeavesNoTemporaryFile()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("velmora.ini"), "old"));
        {
            const AtomicFile::FailAfterForTesting diskFull(1);
            FileProblem problem;
            QVERIFY(!AtomicFile::write(dir.filePath("velmora.ini"), "new content", &problem));
            QCOMPARE(FileProblemText::text(problem, Language::English),
                     dir.filePath("velmora.ini") + QStringLiteral(": No space left on device"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"velmora.ini"});
        QCOMPARE(TestFiles::read(dir.filePath("velmora.ini")), QByteArray("old"));
    }

    void ownFilesOnly_data()
    {
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("refusal");
        QTest::newRow("own, 0600") << false << 0600 << int(FileProblem::Kind::None);
        QTest::newRow("own, writable by the group")
            << false << 0620 << int(FileProblem::Kind::OpenToOthers);
        QTest::newRow("own, writable by all")
            << false << 0666 << int(FileProblem::Kind::OpenToOthers);
        QTest::newRow("another user's") << true << 0600 << int(FileProblem::Kind::NotOwned);
    }

    void ownFilesOnly()
    {
        QFETCH(bool, otherOwner);
        QFETCH(int, mode);
        QFETCH(int, refusal);
        if (otherOwner && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora2.dat");
        QVERIFY(TestFiles::write(path, "9.9.9.9\n"));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
        if (otherOwner)
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        FileProblem problem;
        const std::optional<QByteArray> bytes =
            SafeOpen::readStart(path, 64, &problem, SafeOpen::Owner::CurrentUser);
        QCOMPARE(int(problem.kind), refusal);
        QCOMPARE(bytes.has_value(), refusal == int(FileProblem::Kind::None));
    }

    void systemErrorTextIsTheSystemsOwn_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("ENOSPC") << ENOSPC << QStringLiteral("No space left on device");
        QTest::newRow("EACCES") << EACCES << QStringLiteral("Permission denied");
        QTest::newRow("EROFS") << EROFS << QStringLiteral("Read-only file system");
    }

    void systemErrorTextIsTheSystemsOwn()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(systemErrorText(number), text);
    }

    void createdFoldersAreOwnerOnlyWhateverTheUmask()
    {
        QTemporaryDir dir;
        const mode_t previous = ::umask(0);
        FileProblem problem;
        const bool created = SafeOpen::createPrivateFolder(dir.filePath("kept"), &problem);
        ::umask(previous);
        QVERIFY(created);
        QCOMPARE(QFileInfo(dir.filePath("kept")).permissions() & 0x0077,
                 QFileDevice::Permissions());
        QVERIFY(!SafeOpen::createPrivateFolder(dir.filePath("kept"), &problem));
        QCOMPARE(problem.cause, SystemCause::Exists);
    }
};

QTEST_GUILESS_MAIN(TestSafeOpen)
#include "TestSafeOpen.moc"
