#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "keys/PersonalKey.h"
#include "keys/RandomSource.h"
#include "settings/DashboardSettings.h"

#include "ScriptedPrompter.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {

const QByteArray appKey(ApplicationTextKey);

RandomSource fixedCounter(quint64 value)
{
    return RandomSource([value] { return value; });
}

} // namespace

class TestPersonalKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void generatorDrawsTheHighHalfOfTheProduct()
    {
        RandomSource random = fixedCounter(12345);
        QCOMPARE(random.seed(), 12345u);
        QCOMPARE(random.Random(1000), 385u);
        QCOMPARE(random.seed(), 1655067934u);
        QCOMPARE(random.Random(1000), 289u);
        QCOMPARE(random.seed(), 1242767767u);

        random.setSeed(0xFFFFFFFFu);
        QCOMPARE(random.Random(0xFFFFFFFFu), 4160191483u); // seed wrapped to 4160191484
        QCOMPARE(random.Random(0), 0u);
    }

    void reseedTakesTheLow32BitsOfTheCounter()
    {
        RandomSource random = fixedCounter((quint64(0xABCD) << 32) | 77u);
        random.setSeed(1);
        random.reseed();
        QCOMPARE(random.seed(), 77u);
    }

    void generatedKeyAtTheExtremesOfTheDraw_data()
    {
        QTest::addColumn<quint64>("counter");
        QTest::addColumn<QString>("randomPart");
        // Counter values whose next seed is 0 and 2^32 - 1: every draw is the
        // smallest (raised to "!") or the largest, 219 + i.
        QTest::newRow("smallest draw") << quint64(649090867) << QString(13, QLatin1Char('!'));
        QString largest;
        for (int i = 0; i < 13; ++i)
            largest.append(QChar(219 + i));
        QTest::newRow("largest draw") << quint64(1298181734) << largest;
        QTest::newRow("counter 0 draws 0") << quint64(0) << QString(13, QLatin1Char('!'));
    }

    void generatedKeyAtTheExtremesOfTheDraw()
    {
        QFETCH(quint64, counter);
        QFETCH(QString, randomPart);
        RandomSource random = fixedCounter(counter);
        QCOMPARE(GenerateUserKey(random), randomPart + QStringLiteral("%!+oKarnwyb"));
    }

    void generatedKeysStayInTheirRanges()
    {
        quint64 tick = 0;
        RandomSource random([&tick] { return tick += 7919; });
        std::array<int, 256> counts{};
        for (int round = 0; round < 3000; ++round) {
            const QString key = GenerateUserKey(random);
            QCOMPARE(key.size(), 24);
            QVERIFY(key.endsWith(QStringLiteral("%!+oKarnwyb")));
            for (int i = 0; i < 13; ++i) {
                const int code = key.at(i).unicode();
                QVERIFY2(code >= 33 && code <= 219 + i,
                         qPrintable(QStringLiteral("char %1 code %2").arg(i).arg(code)));
                ++counts[code];
            }
        }
        // "!" takes the draws 0 to 33 and is by far the most frequent.
        for (int code = 34; code < 256; ++code)
            QVERIFY(counts[33] > 10 * counts[code]);
    }

    void realCounterGivesDifferentKeys()
    {
        QVERIFY(GenerateUserKey() != GenerateUserKey() || GenerateUserKey() != GenerateUserKey());
    }

    void keyCharactersOutsideTheCodePageReadBackAsQuestionMarks()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("velmora.ini");
        ScriptedPrompter prompter;
        DashboardSettings values;
        values.personalKey = QString(QChar(0x80)) + QChar(0x81) + QChar(0x9F) + QChar(0xE7) +
                             QStringLiteral("%!+oKarnwyb");
        QVERIFY(saveDashboardSettings(ini, appKey, values, prompter));
        DashboardSettings read;
        SettingsValues shared;
        const SettingsReading reading = SettingsReader::read(ini, appKey);
        QCOMPARE(reading.status, SettingsReading::Status::Read);
        read.readFrom(reading.stored, Language::English, shared);
        QCOMPARE(read.personalKey, QString(QLatin1Char('?')) + QChar(0x81) + QLatin1Char('?') +
                                       QChar(0xE7) + QStringLiteral("%!+oKarnwyb"));
    }

    void exportThenRestoreGivesTheSameKey()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.key");
        const QString key = QStringLiteral("\u00E9!x\u00FF a%!+oKarnwyb");
        QVERIFY(ExportPersonalKey(path, appKey, key));
        const QByteArray bytes = TestFiles::read(path);
        QCOMPARE(bytes.size(), key.size());
        QCOMPARE(*RestorePersonalKey(path, appKey), key);
    }

    // The settings window's export: a key the key file cannot hold is refused
    // with the character named, and the window shows result.message().
    void exportRefusesAKeyTheKeyFileCannotHold()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("velmora.key");
        const KeyFileWriteResult result =
            ExportPersonalKey(path, appKey, QStringLiteral("abc\u0394%!+oKarnwyb"));
        QCOMPARE(result.status, KeyFileWriteResult::Status::CharacterOutsideCodePage);
        QCOMPARE(result.character, char32_t(0x0394));
        QVERIFY(!QFileInfo::exists(path));
        QString error;
        QVERIFY(!ExportPersonalKey(path, appKey, QStringLiteral("abc\u0394"), &error));
        QVERIFY(error.contains(QStringLiteral("U+0394")));
    }

    void restoreTakesTheFirstLineTrimmed_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("restored");
        QTest::newRow("key and file names")
            << QStringList{"the key", "a.enc", "b.enc"} << QStringLiteral("the key");
        QTest::newRow("blanks around the key")
            << QStringList{"  the key \t"} << QStringLiteral("the key");
        QTest::newRow("blank text restores nothing") << QStringList{" ", "\t"} << QString();
        // An empty key would be replaced by a new random one at the next start.
        QTest::newRow("blank first line restores nothing")
            << QStringList{"", "later text"} << QString();
    }

    void restoreTakesTheFirstLineTrimmed()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, restored);
        QTemporaryDir dir;
        const QString path = dir.filePath("in.key");
        QVERIFY(WriteKeyFile(path, appKey, lines));
        QCOMPARE(*RestorePersonalKey(path, appKey), restored);
    }

    void restoreFromAnUnreadableFileFails()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!RestorePersonalKey(dir.path(), appKey, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPersonalKey)
#include "TestPersonalKey.moc"
