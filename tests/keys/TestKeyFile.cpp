#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "platform/AtomicFile.h"

#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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
        QTest::newRow("key and names")
            << QStringList{"key", "a.txt.enc", "b c.doc"} << qsizetype(3 + 2 + 9 + 2 + 7);
        QTest::newRow("question mark and the 0x80 row")
            << QStringList{QStringLiteral("what?\u0081\u017D")} << qsizetype(7);
        QTest::newRow("umlauts and euro")
            << QStringList{QStringLiteral("Schl\u00FCssel\u20AC")} << qsizetype(10);
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
        QTest::newRow("CR LF, as written on Windows")
            << QByteArray("key\r\na.enc\r\n") << QStringList{"key", "a.enc"};
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

    void aCharacterOutsideTheCodePageIsRefused_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("named");
        QTest::newRow("Polish letter in the key")
            << QStringList{QStringLiteral("Klucz \u0141\u00F3d\u017A")}
            << QStringLiteral("(U+0141)");
        QTest::newRow("Cyrillic") << QStringList{QStringLiteral("\u043A\u043B\u044E\u0447")}
                                  << QStringLiteral("(U+043A)");
        QTest::newRow("symbol outside the BMP")
            << QStringList{QStringLiteral("key \U0001F511")} << QStringLiteral("(U+1F511)");
        QTest::newRow("in a file-name line")
            << QStringList{"key", QStringLiteral("\u65E5\u8A18.txt")} << QStringLiteral("(U+65E5)");
    }

    // Stored as "?", such a character would silently make another key, and
    // files encrypted under the real one could not be decrypted with the file.
    void aCharacterOutsideTheCodePageIsRefused()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString path = dir.filePath("friend.key");
        QVERIFY(WriteKeyFile(path, appKey, {"older key"}));
        const KeyFileWriteResult result = WriteKeyFile(path, appKey, lines);
        QCOMPARE(result.status, KeyFileWriteResult::Status::CharacterOutsideCodePage);
        QVERIFY2(result.message(Language::English).contains(named),
                 qPrintable(result.message(Language::English)));
        QVERIFY(result.message(Language::English).contains(QStringLiteral("was not written")));
        QVERIFY(result.message(Language::German).contains(named));
        const QString character = QString::fromUcs4(&result.character, 1);
        QVERIFY(result.message(Language::English)
                    .contains(QStringLiteral("\u201C%1\u201D").arg(character)));
        QVERIFY(result.message(Language::German)
                    .contains(QStringLiteral("\u201E%1\u201C").arg(character)));
        QVERIFY(result.message(Language::German).contains(QStringLiteral("nicht geschrieben")));
        QCOMPARE(*ReadKeyFile(path, appKey), QStringList{"older key"});
    }

    void readingRefusesWhatIsNoRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("link") << "link";
    }

    void readingRefusesWhatIsNoRegularFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("planted.key");
        QVERIFY(WriteKeyFile(dir.filePath("real.key"), appKey, {"real"}));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(dir.filePath("real.key"), path));
        QString error;
        QVERIFY(!ReadKeyFile(path, appKey, &error)); // returns at once, no writer needed
        QVERIFY(error.contains(path));
        QCOMPARE(*ReadKeyFile(dir.filePath("real.key"), appKey), QStringList{"real"});
    }

    void aFileProblemIsNamedInBothLanguages()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing-folder/friend.key");
        const KeyFileWriteResult result = WriteKeyFile(path, appKey, {"key"});
        QCOMPARE(result.status, KeyFileWriteResult::Status::FileNotWritten);
        QCOMPARE(result.message(Language::English),
                 QStringLiteral("The key file was not written: %1: No such file or directory")
                     .arg(path));
        QVERIFY(
            result.message(Language::German)
                .startsWith(QStringLiteral("Die Schl\u00FCsseldatei wurde nicht geschrieben: ")));
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
