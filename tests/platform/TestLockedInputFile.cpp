#include "TestFiles.h"
#include "platform/ExclusiveFile.h"
#include "platform/FileAttributes.h"
#include "platform/LockedInputFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestLockedInputFile : public QObject
{
    Q_OBJECT

private slots:
    // Only a regular file of that name is opened; everything else is told
    // apart at once, a pipe without waiting for a writer.
    void refusals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("failure");
        QTest::newRow("missing") << "missing" << int(LockedInputFile::Failure::NotFound);
        QTest::newRow("link to a file") << "link" << int(LockedInputFile::Failure::Link);
        QTest::newRow("folder") << "folder" << int(LockedInputFile::Failure::Folder);
        QTest::newRow("pipe") << "pipe" << int(LockedInputFile::Failure::NotRegular);
    }

    void refusals()
    {
        QFETCH(QString, kind);
        QFETCH(int, failure);
        QTemporaryDir dir;
        const QString path = dir.filePath("input");
        QVERIFY(TestFiles::write(dir.filePath("file"), "bytes"));
        if (kind == "link")
            QVERIFY(QFile::link(dir.filePath("file"), path));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QElapsedTimer clock;
        clock.start();
        LockedInputFile input;
        QVERIFY(!input.open(path));
        QCOMPARE(int(input.failure()), failure);
        QVERIFY(!input.isOpen());
        QVERIFY(clock.elapsed() < 5000);
    }

    // The lock holds against a second open in the same process and against
    // the secure delete engine's exclusive open, and goes with the close.
    void lockExcludesOtherUsers()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("f");
        QVERIFY(TestFiles::write(path, "bytes"));
        LockedInputFile first;
        QVERIFY(first.open(path));
        LockedInputFile second;
        QVERIFY(!second.open(path));
        QCOMPARE(second.failure(), LockedInputFile::Failure::InUse);
        ExclusiveFile shredding;
        QVERIFY(!shredding.open(path, FileAttributes::query(path)));
        QCOMPARE(shredding.failure(), ExclusiveFile::Failure::InUse);
        first.close();
        QVERIFY(second.open(path));
    }

    // Any change of the content or of the file at the name is seen.
    void changesAreSeen_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("none") << "";
        QTest::newRow("appended") << "append";
        QTest::newRow("replaced at the name") << "replace";
        QTest::newRow("removed") << "remove";
    }

    void changesAreSeen()
    {
        QFETCH(QString, change);
        QTemporaryDir dir;
        const QString path = dir.filePath("f");
        QVERIFY(TestFiles::write(path, "bytes"));
        LockedInputFile input;
        QVERIFY(input.open(path));
        if (change == "append") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            QCOMPARE(file.write("more"), qint64(4));
        } else if (change == "replace") {
            QVERIFY(QFile::remove(path));
            QVERIFY(TestFiles::write(path, "bytes"));
        } else if (change == "remove") {
            QVERIFY(QFile::remove(path));
        }
        QCOMPARE(input.unchanged(), change.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLockedInputFile)
#include "TestLockedInputFile.moc"
