#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "settings/AtomicFile.h"

#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray appKey(ApplicationTextKey);

QByteArray coded(const QByteArray &plain)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < plain.size(); ++i)
        bytes.append(char(plain.at(i) + appKey.at(i % appKey.size())));
    return bytes;
}

} // namespace

class TestKeyFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writeThenReadGivesTheLinesBack_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<qsizetype>("fileSize");
        QTest::newRow("key alone") << QStringList{"k3y!%+oKarnwyb"} << qsizetype(14);
        QTest::newRow("key and names") << QStringList{"key", "a.txt.enc", "b c.doc"} << qsizetype(3 + 2 + 9 + 2 + 7);
        QTest::newRow("umlauts and euro") << QStringList{QStringLiteral("Schl\u00FCssel\u20AC")} << qsizetype(10);
    }

    void writeThenReadGivesTheLinesBack()
    {
        QFETCH(QStringList, lines);
        QFETCH(qsizetype, fileSize);
        QTemporaryDir dir;
        const QString path = dir.filePath("friend.key");
        QVERIFY(WriteKeyFile(path, appKey, lines));
        QCOMPARE(TestFiles::read(path).size(), fileSize);
        QCOMPARE(*ReadKeyFile(path, appKey), lines);
    }

    void theFileHoldsOnlyTheCodedBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.key");
        QVERIFY(WriteKeyFile(path, appKey, {"key", "x"}));
        QCOMPARE(TestFiles::read(path), coded("key\r\nx"));
    }

    void readsEveryKindOfLineBreak_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF, as written on Windows") << QByteArray("key\r\na.enc\r\n") << QStringList{"key", "a.enc"};
        QTest::newRow("lone LF") << QByteArray("key\na.enc") << QStringList{"key", "a.enc"};
        QTest::newRow("lone CR") << QByteArray("key\ra.enc\r") << QStringList{"key", "a.enc"};
        QTest::newRow("empty first line") << QByteArray("\r\na.enc") << QStringList{"", "a.enc"};
        QTest::newRow("empty file") << QByteArray() << QStringList();
    }

    void readsEveryKindOfLineBreak()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath("in.key");
        QVERIFY(TestFiles::write(path, coded(plain)));
        QCOMPARE(*ReadKeyFile(path, appKey), lines);
    }

    void anUncodedLineBreakAtTheEndBecomesTwoCharacters()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("other.key");
        QVERIFY(TestFiles::write(path, coded("abc") + "\r\n"));
        const QStringList lines = *ReadKeyFile(path, appKey);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().size(), 5);
        QVERIFY(lines.first().startsWith(QStringLiteral("abc")));
    }

    void unreadableFileGivesAReason()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!ReadKeyFile(dir.filePath("missing.key"), appKey, &error));
        QVERIFY(error.contains(QStringLiteral("missing.key")));
    }

    void interruptedWriteKeepsTheOlderFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("mine.key");
        QVERIFY(WriteKeyFile(path, appKey, {"old key"}));
        {
            const AtomicFile::FailAfterForTesting diskFull(3);
            QVERIFY(!WriteKeyFile(path, appKey, {"a much longer new key"}));
        }
        QCOMPARE(*ReadKeyFile(path, appKey), QStringList{"old key"});
    }
};

QTEST_GUILESS_MAIN(TestKeyFile)
#include "TestKeyFile.moc"
