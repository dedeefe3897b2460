#include "TestFiles.h"
#include "platform/ExclusiveNewFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <sys/stat.h>

namespace {

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Each case runs both ways a file is made: without a name (where the file
// system allows it, as the test folder's does) and named from the start.
void addWays()
{
    QTest::addColumn<bool>("named");
    QTest::newRow("nameless") << false;
    QTest::newRow("named") << true;
}

class Way
{
public:
    explicit Way(bool named)
    {
        if (named)
            m_seam.emplace();
    }

private:
    std::optional<ExclusiveNewFile::NamedForTesting> m_seam;
};

} // namespace

class TestExclusiveNewFile : public QObject
{
    Q_OBJECT

private slots:
    // While written: no name at all, or a private, recognisable new name
    // next to the final one; owner-only whatever the umask allows.
    void whileWritten_data() { addWays(); }
    void whileWritten()
    {
        QFETCH(bool, named);
        const Way way(named);
        QTemporaryDir dir;
        const mode_t previous = ::umask(0);
        ExclusiveNewFile file;
        const bool created = file.create(dir.filePath("r.txt"));
        ::umask(previous);
        QVERIFY(created);
        QVERIFY(file.write(QByteArrayView("secret")));
        QCOMPARE(file.identity().permissions, 0600u);
        if (!named) {
            QVERIFY(file.path().isEmpty());
            QCOMPARE(entriesOf(dir.path()), QStringList());
            return;
        }
        const QString name = QFileInfo(file.path()).fileName();
        QVERIFY2(name.startsWith(".r.txt.") && name.endsWith(".velmora-part"), qPrintable(name));
        QVERIFY(ExclusiveNewFile::isPartFileName(name));
        QCOMPARE(entriesOf(dir.path()), QStringList{name});
    }

    // A link at the final name is replaced as a link; its target stays. The
    // result gets the model's permissions when it is put in place.
    void placeReplacesALinkNotItsTarget_data() { addWays(); }
    void placeReplacesALinkNotItsTarget()
    {
        QFETCH(bool, named);
        const Way way(named);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("target"), "the user's file"));
        QVERIFY(QFile::link(dir.filePath("target"), dir.filePath("r")));
        FileIdentity model;
        model.permissions = 0640;
        ExclusiveNewFile file;
        QVERIFY(file.create(dir.filePath("r")));
        QVERIFY(file.write(QByteArrayView("result")));
        QVERIFY(file.flushToDisk());
        file.takeAttributes(model);
        QVERIFY(file.place(ExclusiveNewFile::Placing::ReplaceExisting));
        QCOMPARE(TestFiles::read(dir.filePath("target")), QByteArray("the user's file"));
        QVERIFY(!QFileInfo(dir.filePath("r")).isSymLink());
        QCOMPARE(TestFiles::read(dir.filePath("r")), QByteArray("result"));
        QCOMPARE(FileIdentity::ofPath(dir.filePath("r")).permissions, 0640u);
        QCOMPARE(entriesOf(dir.path()), (QStringList{"r", "target"}));
    }

    // A file that took a free final name meanwhile is kept, and the new
    // file goes without trace.
    void onlyIfAbsentKeepsAFileThatAppeared_data() { addWays(); }
    void onlyIfAbsentKeepsAFileThatAppeared()
    {
        QFETCH(bool, named);
        const Way way(named);
        QTemporaryDir dir;
        {
            ExclusiveNewFile file;
            QVERIFY(file.create(dir.filePath("r")));
            QVERIFY(file.write(QByteArrayView("result")));
            QVERIFY(TestFiles::write(dir.filePath("r"), "appeared"));
            QVERIFY(!file.place(ExclusiveNewFile::Placing::OnlyIfAbsent));
            QCOMPARE(file.failure(), SystemCause::Exists);
            QVERIFY(!file.replaced());
        }
        QCOMPARE(entriesOf(dir.path()), QStringList{"r"});
        QCOMPARE(TestFiles::read(dir.filePath("r")), QByteArray("appeared"));
    }

    // Discarding a placed result removes it only while the name still
    // holds it.
    void discardRemovesOnlyItsOwnFile_data() { addWays(); }
    void discardRemovesOnlyItsOwnFile()
    {
        QFETCH(bool, named);
        const Way way(named);
        QTemporaryDir dir;
        ExclusiveNewFile file;
        QVERIFY(file.create(dir.filePath("r")));
        QVERIFY(file.place(ExclusiveNewFile::Placing::OnlyIfAbsent));
        QVERIFY(QFile::remove(dir.filePath("r")));
        QVERIFY(TestFiles::write(dir.filePath("r"), "someone else's"));
        file.discard();
        QCOMPARE(TestFiles::read(dir.filePath("r")), QByteArray("someone else's"));
    }

    // The complete file can be read by a name before it is placed (the
    // check of a decrypted result); it is placed from that name as well.
    void readableBeforePlacing_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("finalExists");
        QTest::newRow("nameless, free final name") << false << false;
        QTest::newRow("nameless, final name taken") << false << true;
        QTest::newRow("named, final name taken") << true << true;
    }
    void readableBeforePlacing()
    {
        QFETCH(bool, named);
        QFETCH(bool, finalExists);
        const Way way(named);
        QTemporaryDir dir;
        if (finalExists)
            QVERIFY(TestFiles::write(dir.filePath("r"), "older"));
        ExclusiveNewFile file;
        QVERIFY(file.create(dir.filePath("r")));
        QVERIFY(file.write(QByteArrayView("result")));
        QVERIFY(file.flushToDisk());
        const QString readable = file.nameForReading();
        QVERIFY(ExclusiveNewFile::isPartFileName(QFileInfo(readable).fileName()));
        QCOMPARE(TestFiles::read(readable), QByteArray("result"));
        QVERIFY(file.place(finalExists ? ExclusiveNewFile::Placing::ReplaceExisting
                                       : ExclusiveNewFile::Placing::OnlyIfAbsent));
        QCOMPARE(TestFiles::read(dir.filePath("r")), QByteArray("result"));
        QCOMPARE(entriesOf(dir.path()), QStringList{"r"});
    }

    // A part-file name that no longer holds the file written here (swapped
    // for another file, a link, or removed) is never renamed: the placing
    // fails as replaced, and what stands at the part-file name stays.
    void swappedPartFileIsNotPlaced_data()
    {
        QTest::addColumn<QString>("swap");
        QTest::addColumn<bool>("finalExists");
        for (const char *swap : {"another file", "a link", "nothing"}) {
            QTest::addRow("%s, free final name", swap) << QString::fromLatin1(swap) << false;
            QTest::addRow("%s, final name taken", swap) << QString::fromLatin1(swap) << true;
        }
    }
    void swappedPartFileIsNotPlaced()
    {
        QFETCH(QString, swap);
        QFETCH(bool, finalExists);
        const ExclusiveNewFile::NamedForTesting named;
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("victim"), "the user's other file"));
        if (finalExists)
            QVERIFY(TestFiles::write(dir.filePath("r"), "older"));
        {
            ExclusiveNewFile file;
            QVERIFY(file.create(dir.filePath("r")));
            QVERIFY(file.write(QByteArrayView("result")));
            const QString part = file.path();
            QVERIFY(QFile::remove(part));
            if (swap == QLatin1String("another file"))
                QVERIFY(TestFiles::write(part, "planted"));
            else if (swap == QLatin1String("a link"))
                QVERIFY(QFile::link(dir.filePath("victim"), part));
            QVERIFY(file.flushToDisk());
            QVERIFY(!file.place(finalExists ? ExclusiveNewFile::Placing::ReplaceExisting
                                            : ExclusiveNewFile::Placing::OnlyIfAbsent));
            QVERIFY(file.replaced());
            if (swap == QLatin1String("another file"))
                QCOMPARE(TestFiles::read(part), QByteArray("planted"));
            else if (swap == QLatin1String("a link"))
                QVERIFY(QFileInfo(part).isSymLink());
        }
        QCOMPARE(TestFiles::read(dir.filePath("victim")), QByteArray("the user's other file"));
        if (finalExists)
            QCOMPARE(TestFiles::read(dir.filePath("r")), QByteArray("older"));
        else
            QVERIFY(!QFileInfo::exists(dir.filePath("r")));
        QCOMPARE(entriesOf(dir.path()).size(), 1 + int(finalExists) + int(swap != "nothing"));
    }

    void partFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isPart");
        QTest::newRow("own form") << ".a.txt.enc.k3x9q0.velmora-part" << true;
        QTest::newRow("final name with blanks") << ".b c.doc.abcdef.velmora-part" << true;
        QTest::newRow("no leading dot") << "a.txt.abcdef.velmora-part" << false;
        QTest::newRow("five characters") << ".a.txt.abcde.velmora-part" << false;
        QTest::newRow("capitals") << ".a.txt.ABCDEF.velmora-part" << false;
        QTest::newRow("nothing before the tag") << "..abcdef.velmora-part" << false;
        QTest::newRow("other suffix") << ".a.txt.abcdef.velmora-part~" << false;
    }
    void partFileNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, isPart);
        QCOMPARE(ExclusiveNewFile::isPartFileName(name), isPart);
    }
};

QTEST_GUILESS_MAIN(TestExclusiveNewFile)
#include "TestExclusiveNewFile.moc"
