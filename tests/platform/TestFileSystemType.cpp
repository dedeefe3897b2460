#include "platform/FileSystemType.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FileSystemType::Kind)

// The kernel's own file systems against one that keeps files.
class TestFileSystemType : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kinds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<FileSystemType::Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("/proc/self") << "/proc/self" << FileSystemType::Kind::Pseudo << "proc";
        QTest::newRow("a file in /proc")
            << "/proc/self/environ" << FileSystemType::Kind::Pseudo << "proc";
        QTest::newRow("/sys/kernel") << "/sys/kernel" << FileSystemType::Kind::Pseudo << "sysfs";
        QTest::newRow("the temporary folder")
            << QDir::tempPath() << FileSystemType::Kind::Ordinary << QString();
    }

    void kinds()
    {
        QFETCH(QString, path);
        QFETCH(FileSystemType::Kind, kind);
        QFETCH(QString, name);
        if (!QFileInfo::exists(path))
            QSKIP("not on this system");
        const FileSystemType type = FileSystemType::of(path);
        QCOMPARE(type.kind, kind);
        QCOMPARE(type.name, name);
        QCOMPARE(type.cause, SystemCause::None);
    }

    void aMissingPathCannotBeTold()
    {
        QTemporaryDir dir;
        const FileSystemType type = FileSystemType::of(dir.filePath("missing"));
        QCOMPARE(type.kind, FileSystemType::Kind::Unknown);
        QCOMPARE(type.cause, SystemCause::NotFound);
        QVERIFY(!type.reason.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFileSystemType)
#include "TestFileSystemType.moc"
