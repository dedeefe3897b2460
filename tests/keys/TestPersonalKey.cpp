#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "keys/PersonalKey.h"
#include "keys/RandomSource.h"
#include "settings/DashboardSettings.h"

#include "FixedRandom.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {

const QByteArray appKey(ApplicationTextKey);
const QString Tail = QStringLiteral("%!+oKarnwyb");

// The draw that gives the largest code at position i: 219 + i.
quint32 largestDraw(int i)
{
    return quint32(219 + i - 33);
}

} // namespace

Q_DECLARE_METATYPE(QList<quint32>)

class TestPersonalKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawsFromTheSource_data()
    {
        QTest::addColumn<quint32>("lowest");
        QTest::addColumn<quint32>("highest");
        QTest::addColumn<QList<quint32>>("draws");
        QTest::addColumn<int>("expected"); // -1: no number
        QTest::newRow("the draw within the count") << 33u << 219u << QList<quint32>{5} << 38;
        QTest::newRow("a larger draw is taken modulo the count")
            << 33u << 219u << QList<quint32>{187 * 1000 + 4} << 37;
        // 2^32 = 3 * 1431655765 + 1: the top value would favour 0.
        QTest::newRow("a draw above the last multiple is drawn again")
            << 0u << 2u << QList<quint32>{0xFFFFFFFFu, 7} << 1;
        QTest::newRow("the last draw below the multiple counts")
            << 0u << 2u << QList<quint32>{0xFFFFFFFEu} << int(0xFFFFFFFEu % 3);
        QTest::newRow("the whole 32 bits") << 0u << 0xFFFFFFFFu << QList<quint32>{123456} << 123456;
        QTest::newRow("a single value") << 7u << 7u << QList<quint32>{0xFFFFFFFFu} << 7;
        QTest::newRow("only unusable draws give nothing")
            << 0u << 2u << QList<quint32>(100, 0xFFFFFFFFu) << -1;
        QTest::newRow("a source that runs dry gives nothing")
            << 0u << 2u << QList<quint32>{0xFFFFFFFFu} << -1;
    }

    void drawsFromTheSource()
    {
        QFETCH(quint32, lowest);
        QFETCH(quint32, highest);
        QFETCH(QList<quint32>, draws);
        QFETCH(int, expected);
        RandomSource random = FixedRandom::numbers(draws);
        const std::optional<quint32> drawn = random.between(lowest, highest);
        if (expected < 0)
            QVERIFY(!drawn);
        else
            QCOMPARE(drawn.value_or(0xDEAD), quint32(expected));
    }

    void generatedKeyFromFixedDraws_data()
    {
        QTest::addColumn<QList<quint32>>("draws");
        QTest::addColumn<QString>("randomPart");
        QTest::newRow("smallest draws") << QList<quint32>(13, 0) << QString(13, QLatin1Char('!'));
        QList<quint32> largest;
        QString largestPart;
        for (int i = 0; i < 13; ++i) {
            largest.append(largestDraw(i));
            largestPart.append(QChar(219 + i));
        }
        QTest::newRow("largest draws") << largest << largestPart;
        // One past the largest wraps round to "!": nothing is clamped.
        QList<quint32> pastLargest;
        for (int i = 0; i < 13; ++i)
            pastLargest.append(largestDraw(i) + 1);
        QTest::newRow("one past the largest") << pastLargest << QString(13, QLatin1Char('!'));
        QList<quint32> withRejections(13, 1);
        withRejections.insert(4, 0xFFFFFFFFu);
        QTest::newRow("a rejected draw is drawn again")
            << withRejections << QString(13, QLatin1Char('"'));
    }

    // The seam: the same draws give the same key, in the form stored keys
    // have (13 characters, character i from 33 to 219 + i, the tail).
    void generatedKeyFromFixedDraws()
    {
        QFETCH(QList<quint32>, draws);
        QFETCH(QString, randomPart);
        RandomSource random = FixedRandom::numbers(draws);
        const NewUserKey key = GenerateUserKey(random);
        QVERIFY(key.made());
        QCOMPARE(key.key, randomPart + Tail);
    }

    void brokenSourceMakesNoKey_data()
    {
        QTest::addColumn<QList<quint32>>("draws");
        QTest::addColumn<QString>("named"); // in the refusal
        QTest::newRow("fails at once") << QList<quint32>{} << QStringLiteral("no more fixed");
        QTest::newRow("fails after five characters")
            << QList<quint32>(5, 17) << QStringLiteral("no more fixed");
        QTest::newRow("only unusable numbers")
            << QList<quint32>(200, 0xFFFFFFFFu) << QStringLiteral("random source failed");
    }

    // Never a key with characters made up or left out: a key from a broken
    // source could be guessed.
    void brokenSourceMakesNoKey()
    {
        QFETCH(QList<quint32>, draws);
        QFETCH(QString, named);
        RandomSource random = FixedRandom::numbers(draws);
        const NewUserKey key = GenerateUserKey(random);
        QVERIFY(!key.made());
        QVERIFY(key.key.isEmpty());
        const QString english = key.refusal(Language::English);
        QVERIFY2(english.contains(named) && english.contains(QStringLiteral("no new key")),
                 qPrintable(english));
        QVERIFY2(key.refusal(Language::German).contains(QStringLiteral("kein neuer Schlüssel")),
                 qPrintable(key.refusal(Language::German)));

        RandomSource failing = FixedRandom::failing(QStringLiteral("Function not implemented"));
        QVERIFY(GenerateUserKey(failing)
                    .refusal(Language::English)
                    .contains(QStringLiteral("(Function not implemented)")));
    }

    // From the system's source: every code of each position's range comes
    // out, none outside it, and none far more often than the others (the
    // old clamp made "!" about 34 times as frequent as any other code).
    void systemSourceCoversEachRangeEvenly()
    {
        constexpr int keys = 20000;
        std::array<std::array<int, 256>, 13> counts{};
        for (int round = 0; round < keys; ++round) {
            const NewUserKey key = GenerateUserKey();
            if (!key.made() || key.key.size() != 24 || !key.key.endsWith(Tail))
                QFAIL(qPrintable(key.key + key.refusal(Language::English)));
            for (int i = 0; i < 13; ++i) {
                const int code = key.key.at(i).unicode();
                if (code < 33 || code > 219 + i)
                    QFAIL(qPrintable(QStringLiteral("char %1 code %2").arg(i).arg(code)));
                ++counts[i][code];
            }
        }
        for (int i = 0; i < 13; ++i) {
            const double mean = double(keys) / (219 + i - 33 + 1);
            for (int code = 33; code <= 219 + i; ++code) {
                if (counts[i][code] == 0 || counts[i][code] > 2 * mean)
                    QFAIL(qPrintable(QStringLiteral("char %1 code %2 came %3 times, mean %4")
                                         .arg(i)
                                         .arg(code)
                                         .arg(counts[i][code])
                                         .arg(mean)));
            }
        }
        QVERIFY(GenerateUserKey().key != GenerateUserKey().key);
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
