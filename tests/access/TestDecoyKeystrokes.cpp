#include "access/DecoyDraw.h"
#include "access/DecoyTrigger.h"
#include "access/WindowsVirtualKey.h"
#include "keys/RandomSource.h"

#include "FixedRandom.h"

#include <QTest>

#include <array>

Q_DECLARE_METATYPE(QList<quint32>)

class TestDecoyKeystrokes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawGivesFourToSevenPrintableDecoys();
    void drawFromFixedNumbers_data();
    void drawFromFixedNumbers();
    void trigger_data();
    void trigger();
    void virtualKey_data();
    void virtualKey();
};

// From the system's source: each count from 4 to 7 a quarter of the time,
// each character from "!" to "z" about as often as any other (the old draw
// turned 34 of 123 values into "a").
void TestDecoyKeystrokes::drawGivesFourToSevenPrintableDecoys()
{
    RandomSource random;
    std::array<int, 8> counts{};
    std::array<int, 128> characters{};
    int total = 0;
    const int draws = 20000;
    for (int i = 0; i < draws; ++i) {
        const std::optional<QString> decoys = DecoyDraw::draw(random);
        QVERIFY(decoys);
        if (decoys->size() < DecoyDraw::MinimumCount || decoys->size() > DecoyDraw::MaximumCount)
            QFAIL(qPrintable(*decoys));
        ++counts[decoys->size()];
        for (const QChar c : *decoys) {
            if (c < QChar(DecoyDraw::Lowest) || c > QChar(DecoyDraw::Highest))
                QFAIL(qPrintable(*decoys));
            ++characters[c.unicode()];
            ++total;
        }
    }
    for (int n = DecoyDraw::MinimumCount; n <= DecoyDraw::MaximumCount; ++n)
        QVERIFY2(counts[n] > draws * 22 / 100 && counts[n] < draws * 28 / 100,
                 qPrintable(QStringLiteral("%1 decoys %2 times").arg(n).arg(counts[n])));
    const double mean = double(total) / (DecoyDraw::Highest - DecoyDraw::Lowest + 1);
    for (int c = DecoyDraw::Lowest; c <= DecoyDraw::Highest; ++c)
        QVERIFY2(characters[c] > mean * 0.8 && characters[c] < mean * 1.2,
                 qPrintable(QStringLiteral("%1 came %2 times, mean %3")
                                .arg(QChar(c))
                                .arg(characters[c])
                                .arg(mean)));
}

void TestDecoyKeystrokes::drawFromFixedNumbers_data()
{
    QTest::addColumn<QList<quint32>>("draws");
    QTest::addColumn<QString>("decoys"); // null: none
    // The first draw is the count (4 + draw modulo 4), then one per decoy
    // ("!" + draw modulo 90).
    QTest::newRow("four, from both ends") << QList<quint32>{0, 0, 89, 64, 90} << "!za!";
    QTest::newRow("seven") << QList<quint32>{7, 1, 2, 3, 4, 5, 6, 7} << "\"#$%&'(";
    QTest::newRow("a source that fails gives none") << QList<quint32>{} << QString();
    QTest::newRow("one that runs dry half-way gives none, not fewer")
        << QList<quint32>{3, 1, 2} << QString();
}

void TestDecoyKeystrokes::drawFromFixedNumbers()
{
    QFETCH(QList<quint32>, draws);
    QFETCH(QString, decoys);
    RandomSource random = FixedRandom::numbers(draws);
    const std::optional<QString> drawn = DecoyDraw::draw(random);
    if (decoys.isNull())
        QVERIFY(!drawn);
    else
        QCOMPARE(drawn.value_or(QStringLiteral("<none>")), decoys);
}

void TestDecoyKeystrokes::trigger_data()
{
    QTest::addColumn<bool>("protection");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("logged"); // empty: no decoys
    QTest::addColumn<bool>("armedAfter");

    QTest::newRow("letter") << true << true << int('A') << false << false << "a" << false;
    QTest::newRow("shift + letter") << true << true << int('Q') << false << true << "Q" << false;
    QTest::newRow("digit") << true << true << int('7') << false << false << "7" << false;
    QTest::newRow("shift + digit key") << true << true << int('1') << false << true << "1" << false;
    QTest::newRow("space") << true << true << 0x20 << false << false << " " << false;
    QTest::newRow("code 14 still counts")
        << true << true << 14 << false << false << QString(QChar(14)) << false;
    QTest::newRow("backspace") << true << true << 0x08 << false << false << "" << false;
    QTest::newRow("tab") << true << true << 0x09 << false << false << "" << false;
    QTest::newRow("enter") << true << true << 0x0D << false << false << "" << false;
    QTest::newRow("ctrl + letter") << true << true << int('V') << true << false << "" << false;
    QTest::newRow("ctrl + shift + letter")
        << true << true << int('V') << true << true << "" << false;
    QTest::newRow("no character typed")
        << true << false << int('A') << false << false << "" << false;
    QTest::newRow("shift let go first keeps the flag")
        << true << true << 0x10 << false << false << "" << true;
    QTest::newRow("ctrl let go keeps the flag")
        << true << true << 0x11 << false << false << "" << true;
    QTest::newRow("protection off keeps the flag")
        << false << true << int('A') << false << false << "" << true;
}

void TestDecoyKeystrokes::trigger()
{
    QFETCH(bool, protection);
    QFETCH(bool, typed);
    QFETCH(int, virtualKey);
    QFETCH(bool, ctrl);
    QFETCH(bool, shift);
    QFETCH(QString, logged);
    QFETCH(bool, armedAfter);

    DecoyTrigger trigger;
    if (typed)
        trigger.characterTyped();
    const std::optional<QChar> result = trigger.keyReleased(protection, virtualKey, ctrl, shift);
    QCOMPARE(result.has_value(), !logged.isEmpty());
    if (result)
        QCOMPARE(QString(*result), logged);
    QCOMPARE(trigger.armed(), armedAfter);
    // A spent flag never fires on a second release; a kept one fires on the
    // character key that is let go next.
    if (protection) {
        const std::optional<QChar> next = trigger.keyReleased(true, '7', false, true);
        QCOMPARE(next.has_value(), armedAfter);
    }
}

void TestDecoyKeystrokes::virtualKey_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("expected");
    QTest::newRow("A") << int(Qt::Key_A) << 0x41;
    QTest::newRow("Z") << int(Qt::Key_Z) << 0x5A;
    QTest::newRow("0") << int(Qt::Key_0) << 0x30;
    QTest::newRow("9") << int(Qt::Key_9) << 0x39;
    QTest::newRow("! is the 1 key") << int(Qt::Key_Exclam) << 0x31;
    QTest::newRow(") is the 0 key") << int(Qt::Key_ParenRight) << 0x30;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0x08;
    QTest::newRow("tab") << int(Qt::Key_Tab) << 0x09;
    QTest::newRow("return") << int(Qt::Key_Return) << 0x0D;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << 0x0D;
    QTest::newRow("shift") << int(Qt::Key_Shift) << 0x10;
    QTest::newRow("control") << int(Qt::Key_Control) << 0x11;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 0x1B;
    QTest::newRow("space") << int(Qt::Key_Space) << 0x20;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0x70;
    QTest::newRow("F12") << int(Qt::Key_F12) << 0x7B;
    QTest::newRow("minus") << int(Qt::Key_Minus) << 0xBD;
    QTest::newRow("underscore, same key") << int(Qt::Key_Underscore) << 0xBD;
    QTest::newRow("brace left") << int(Qt::Key_BraceLeft) << 0xDB;
    QTest::newRow("quote") << int(Qt::Key_Apostrophe) << 0xDE;
    QTest::newRow("German ae") << int(Qt::Key_Adiaeresis) << 0xDE;
    QTest::newRow("no Windows key") << int(Qt::Key_VolumeUp) << 0;
}

void TestDecoyKeystrokes::virtualKey()
{
    QFETCH(int, qtKey);
    QFETCH(int, expected);
    QCOMPARE(WindowsVirtualKey::fromQtKey(qtKey), expected);
}

QTEST_GUILESS_MAIN(TestDecoyKeystrokes)
#include "TestDecoyKeystrokes.moc"
