#include "access/DecoyDraw.h"
#include "access/DecoyTrigger.h"
#include "access/WindowsVirtualKey.h"
#include "keys/RandomSource.h"

#include <QTest>

#include <array>

class TestDecoyKeystrokes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawGivesFourToSevenPrintableDecoys();
    void drawReseedsEveryTime();
    void trigger_data();
    void trigger();
    void virtualKey_data();
    void virtualKey();
};

void TestDecoyKeystrokes::drawGivesFourToSevenPrintableDecoys()
{
    quint64 counter = 0;
    RandomSource random([&counter] { return counter; });
    std::array<int, 8> counts{};
    int clampedToA = 0;
    const int draws = 20000;
    for (int i = 0; i < draws; ++i) {
        counter = quint64(i) * 2654435761u; // spread seeds over the whole 32 bits
        const QString decoys = DecoyDraw::draw(random);
        QVERIFY2(decoys.size() >= DecoyDraw::MinimumCount &&
                     decoys.size() <= DecoyDraw::MaximumCount,
                 qPrintable(decoys));
        ++counts[decoys.size()];
        for (const QChar c : decoys) {
            QVERIFY2(c >= QChar(DecoyDraw::Lowest) && c <= QChar(DecoyDraw::Highest),
                     qPrintable(decoys));
            clampedToA += c == u'a';
        }
    }
    // n = Random(6) below 3 becomes 6: seven decoys half of the time, the
    // other counts a sixth each.
    QVERIFY2(counts[7] > draws * 45 / 100 && counts[7] < draws * 55 / 100,
             qPrintable(QString::number(counts[7])));
    for (int n = 4; n <= 6; ++n)
        QVERIFY2(counts[n] > draws * 13 / 100 && counts[n] < draws * 20 / 100,
                 qPrintable(QString::number(counts[n])));
    // Draws outside "!".."z" (34 of 123) all become "a", far above the 1/90
    // share of any other character.
    const double totalDecoys =
        counts[4] * 4.0 + counts[5] * 5.0 + counts[6] * 6.0 + counts[7] * 7.0;
    QVERIFY(clampedToA / totalDecoys > 0.25);
}

void TestDecoyKeystrokes::drawReseedsEveryTime()
{
    quint64 counter = 12345;
    RandomSource random([&counter] { return counter; });
    const QString first = DecoyDraw::draw(random);
    QCOMPARE(DecoyDraw::draw(random), first); // same counter value, same decoys
    counter = 99991;
    QVERIFY(DecoyDraw::draw(random) != first);
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
