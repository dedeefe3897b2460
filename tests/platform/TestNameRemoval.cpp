#include "platform/NameRemoval.h"

#include "TestFiles.h"
#include "Unchangeable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

NameRemoval::Expected identityOf(const QString &path, qint64 size)
{
    struct stat info
    {
    };
    NameRemoval::Expected expected;
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0) {
        expected.device = static_cast<quint64>(info.st_dev);
        expected.inode = static_cast<quint64>(info.st_ino);
    }
    expected.size = size;
    return expected;
}

quint64 inodeAt(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0
               ? static_cast<quint64>(info.st_ino)
               : 0;
}

// Names the removal may have left in the folder besides the test's own.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".velmora-shred.*")},
                                  QDir::AllEntries | QDir::Hidden | QDir::System);
}

} // namespace

class TestNameRemoval : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void removesOnlyTheExpectedFile_data()
    {
        QTest::addColumn<QString>("atName");    // what stands at the name when asked
        QTest::addColumn<qint64>("expectSize"); // the length the caller expects
        QTest::addColumn<bool>("throughDescriptor");
        QTest::addColumn<int>("result");

        using R = NameRemoval::Result;
        QTest::newRow("the file, its length") << "file" << qint64(5000) << false << int(R::Removed);
        QTest::newRow("the file, any length") << "file" << qint64(-1) << false << int(R::Removed);
        QTest::newRow("the file, length through the open file")
            << "file" << qint64(5000) << true << int(R::Removed);
        QTest::newRow("the file, but longer")
            << "file" << qint64(4000) << false << int(R::SizeChanged);
        QTest::newRow("the open file, but longer")
            << "file" << qint64(4000) << true << int(R::SizeChanged);
        QTest::newRow("another file") << "other" << qint64(5000) << false << int(R::Replaced);
        QTest::newRow("a link to the file") << "link" << qint64(5000) << false << int(R::Replaced);
        QTest::newRow("a folder") << "folder" << qint64(-1) << false << int(R::Replaced);
        QTest::newRow("nothing") << "nothing" << qint64(5000) << false << int(R::Missing);
    }

    void removesOnlyTheExpectedFile()
    {
        QFETCH(QString, atName);
        QFETCH(qint64, expectSize);
        QFETCH(bool, throughDescriptor);
        QFETCH(int, result);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath(QStringLiteral("name.bin"));
        const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.bin"));
        const QByteArray content = TestFiles::randomBytes(5000, 3);
        QVERIFY(TestFiles::write(name, content));
        const NameRemoval::Expected expected = identityOf(name, expectSize);
        const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        const auto closeFd = qScopeGuard([fd] { ::close(fd); });

        QByteArray standing; // what the name holds before the removal
        if (atName == QLatin1String("other")) {
            QVERIFY(QFile::rename(name, elsewhere));
            standing = TestFiles::randomBytes(5000, 4);
            QVERIFY(TestFiles::write(name, standing));
        } else if (atName == QLatin1String("link")) {
            QVERIFY(QFile::rename(name, elsewhere));
            QVERIFY(QFile::link(elsewhere, name));
        } else if (atName == QLatin1String("folder")) {
            QVERIFY(QFile::rename(name, elsewhere));
            QVERIFY(QDir().mkdir(name));
        } else if (atName == QLatin1String("nothing")) {
            QVERIFY(QFile::rename(name, elsewhere));
        } else {
            standing = content;
        }
        const quint64 inodeBefore = inodeAt(name);

        const NameRemoval removal =
            NameRemoval::remove(name, expected, throughDescriptor ? fd : -1);

        QCOMPARE(int(removal.result), result);
        QVERIFY(removal.strandedAt.isEmpty());
        QCOMPARE(leftovers(dir.path()), QStringList());
        if (removal.result == NameRemoval::Result::Removed) {
            QVERIFY(!QFileInfo::exists(name));
        } else {
            // Whatever stood there stands there still, unchanged.
            QCOMPARE(inodeAt(name), inodeBefore);
            if (!standing.isEmpty())
                QCOMPARE(TestFiles::read(name), standing);
            if (atName != QLatin1String("file"))
                QCOMPARE(TestFiles::read(elsewhere), content);
        }
    }

    void folderThatAllowsNoRemovalIsReported()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath(QStringLiteral("kept.bin"));
        QVERIFY(TestFiles::write(name, TestFiles::randomBytes(100, 5)));
        const Unchangeable guard(dir.path());
        if (!guard.active())
            QSKIP("cannot make a folder unchangeable here");

        const NameRemoval removal = NameRemoval::remove(name, identityOf(name, 100));

        QCOMPARE(removal.result, NameRemoval::Result::Failed);
        QCOMPARE(removal.cause, SystemCause::AccessDenied);
        QVERIFY(!removal.reason.isEmpty());
        QVERIFY(QFileInfo::exists(name));
    }

    void fileSwappedInAtRandomMomentsIsNeverRemoved()
    {
        // A second thread swaps the name with another one as fast as it can,
        // so the name holds now the expected file, now another. Whatever the
        // moment, only the expected file may go.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray name = QFile::encodeName(dir.filePath(QStringLiteral("name.bin")));
        const QByteArray other = QFile::encodeName(dir.filePath(QStringLiteral("other.bin")));
        const QByteArray keep = TestFiles::randomBytes(3000, 6);
        QVERIFY(TestFiles::write(QFile::decodeName(other), keep));
        const quint64 keepInode = inodeAt(QFile::decodeName(other));

        std::atomic<bool> swapping{false};
        std::atomic<bool> done{false};
        std::mutex turn; // held by each swap; once taken, no swap is under way
        std::thread swapper([&] {
            while (!done) {
                {
                    const std::lock_guard<std::mutex> lock(turn);
                    if (swapping)
                        ::renameat2(AT_FDCWD, name.constData(), AT_FDCWD, other.constData(),
                                    RENAME_EXCHANGE);
                }
                std::this_thread::yield();
            }
        });
        const auto stop = qScopeGuard([&] {
            done = true;
            swapper.join();
        });

        int removed = 0;
        int left = 0;
        for (int round = 0; round < 400; ++round) {
            // The expected file, at whichever name is free.
            const QByteArray free = inodeAt(QFile::decodeName(name)) == 0 ? name : other;
            QVERIFY(TestFiles::write(QFile::decodeName(free), TestFiles::randomBytes(2000, 7)));
            const NameRemoval::Expected expected = identityOf(QFile::decodeName(free), 2000);

            swapping = true;
            const NameRemoval removal = NameRemoval::remove(QFile::decodeName(name), expected);
            swapping = false;
            {
                const std::lock_guard<std::mutex> lock(turn);
            }

            // The other file is whole under one of the two names.
            const bool atName = inodeAt(QFile::decodeName(name)) == keepInode;
            QVERIFY2(atName || inodeAt(QFile::decodeName(other)) == keepInode,
                     qPrintable(QStringLiteral("round %1: the other file is gone").arg(round)));
            QCOMPARE(TestFiles::read(QFile::decodeName(atName ? name : other)), keep);
            const bool expectedLeft = inodeAt(QFile::decodeName(name)) == expected.inode ||
                                      inodeAt(QFile::decodeName(other)) == expected.inode;
            QCOMPARE(expectedLeft, removal.result != NameRemoval::Result::Removed);
            QCOMPARE(leftovers(dir.path()), QStringList());
            if (expectedLeft) {
                ++left;
                // Start the next round with only the other file there.
                QVERIFY(::unlink(atName ? other.constData() : name.constData()) == 0);
            } else {
                ++removed;
            }
        }
        qInfo("removed %d times, left alone %d times", removed, left);
        QVERIFY(removed > 0);
    }
};

QTEST_GUILESS_MAIN(TestNameRemoval)
#include "TestNameRemoval.moc"
