#include "platform/keyboard/UnshiftedKey.h"

#include <QTest>

// The keys the in-program delivery types for decoy characters.
class TestUnshiftedKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unshiftedKey_data();
    void unshiftedKey();
};

void TestUnshiftedKey::unshiftedKey_data()
{
    QTest::addColumn<QChar>("character");
    QTest::addColumn<QChar>("expected");
    QTest::newRow("A") << QChar(u'A') << QChar(u'a');
    QTest::newRow("z") << QChar(u'z') << QChar(u'z');
    QTest::newRow("5") << QChar(u'5') << QChar(u'5');
    QTest::newRow("!") << QChar(u'!') << QChar(u'1');
    QTest::newRow(")") << QChar(u')') << QChar(u'0');
    QTest::newRow("_") << QChar(u'_') << QChar(u'-');
    QTest::newRow("\"") << QChar(u'"') << QChar(u'\'');
    QTest::newRow("{") << QChar(u'{') << QChar(u'[');
    QTest::newRow("?") << QChar(u'?') << QChar(u'/');
    QTest::newRow("[") << QChar(u'[') << QChar(u'[');
}

void TestUnshiftedKey::unshiftedKey()
{
    QFETCH(QChar, character);
    QFETCH(QChar, expected);
    QCOMPARE(UnshiftedKey::of(character), expected);
}

QTEST_GUILESS_MAIN(TestUnshiftedKey)
#include "TestUnshiftedKey.moc"
