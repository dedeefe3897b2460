#include "TestFiles.h"
#include "platform/ExclusiveNewFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestExclusiveNewFile : public QObject
{
    Q_OBJECT

private slots:
    // While written: a private, recognisable new name next to the final one.
    void temporaryName()
    {
        QTemporaryDir dir;
        ExclusiveNewFile file;
        QVERIFY(file.create(dir.filePath("r.txt")));
        const QString name = QFileInfo(file.path()).fileName();
        QVERIFY2(name.startsWith(".r.txt.") && name.endsWith(".velmora-part"), qPrintable(name));
        QCOMPARE(file.identity().permissions, 0600u);
        QCOMPARE(entriesOf(dir.path()), QStringList{name});
    }

    // A link at the final name is replaced as a link; its target stays.
    void placeReplacesALinkNotItsTarget()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("target"), "the user's file"));
        QVERIFY(QFile::link(dir.filePath("target"), dir.filePath("r")));
        ExclusiveNewFile file;
        QVERIFY(file.create(dir.filePath("r")));
        QVERIFY(file.write(QByteArrayView("result")));
        QVERIFY(file.flushToDisk());
        QVERIFY(file.place(ExclusiveNewFile::Placing::ReplaceExisting));
        QCOMPARE(TestFiles::read(dir.filePath("target")), QByteArray("the user's file"));
        QVERIFY(!QFileInfo(dir.filePath("r")).isSymLink());
        QCOMPARE(TestFiles::read(dir.filePath("r")), QByteArray("result"));
    }

    // A file that took a free final name meanwhile is kept, and the new
    // file goes without trace.
    void onlyIfAbsentKeepsAFileThatAppeared()
    {
        QTemporaryDir dir;
        {
            ExclusiveNewFile file;
            QVERIFY(file.create(dir.filePath("r")));
            QVERIFY(file.write(QByteArrayView("result")));
            QVERIFY(TestFiles::write(dir.filePath("r"), "appeared"));
            QVERIFY(!file.place(ExclusiveNewFile::Placing::OnlyIfAbsent));
            QCOMPARE(file.failure(), SystemCause::Exists);
        }
        QCOMPARE(entriesOf(dir.path()), QStringList{"r"});
        QCOMPARE(TestFiles::read(dir.filePath("r")), QByteArray("appeared"));
    }

    // Discarding a placed result removes it only while the name still
    // holds it.
    void discardRemovesOnlyItsOwnFile()
    {
        QTemporaryDir dir;
        ExclusiveNewFile file;
        QVERIFY(file.create(dir.filePath("r")));
        QVERIFY(file.place(ExclusiveNewFile::Placing::OnlyIfAbsent));
        QVERIFY(QFile::remove(dir.filePath("r")));
        QVERIFY(TestFiles::write(dir.filePath("r"), "someone else's"));
        file.discard();
        QCOMPARE(TestFiles::read(dir.filePath("r")), QByteArray("someone else's"));
    }
};

QTEST_GUILESS_MAIN(TestExclusiveNewFile)
#include "TestExclusiveNewFile.moc"
