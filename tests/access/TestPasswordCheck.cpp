#include "access/PasswordCheck.h"
#include "access/WrongEntryLimit.h"

#include <QTest>

// Digests below are RFC 1321 values of the ASCII texts, written out so that
// the check is tested against the stored form and not against itself.
class TestPasswordCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matches_data();
    void matches();
    void storedFormTrimsAndDigests_data();
    void storedFormTrimsAndDigests();
    void charactersOutsideTheCodePageCollide();
    void fourthWrongEntryPassesTheLimit();
};

namespace {
const QString digestOfAbc = QStringLiteral("900150983cd24fb0d6963f7d28e17f72"); // "abc"
const QString digestOfEmpty = QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");
} // namespace

void TestPasswordCheck::matches_data()
{
    QTest::addColumn<QString>("checkPass");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("expected");

    QTest::newRow("digest: the text") << digestOfAbc << "abc" << true;
    QTest::newRow("digest: blanks and tabs around") << digestOfAbc << "  abc\t " << true;
    QTest::newRow("digest: other case") << digestOfAbc << "ABC" << false;
    QTest::newRow("digest: blank inside") << digestOfAbc << "a bc" << false;
    QTest::newRow("digest: the digest itself") << digestOfAbc << digestOfAbc << false;
    QTest::newRow("digest: empty entry") << digestOfAbc << "" << false;
    QTest::newRow("digest of empty: blank entry") << digestOfEmpty << "   " << true;
    // 33 characters still count as a digest
    QTest::newRow("33 chars: compared as digest")
        << digestOfAbc + "x" << digestOfAbc + "x" << false;

    const QString plain31 = QStringLiteral("0123456789012345678901234567890");
    QTest::newRow("31 chars: the text itself") << plain31 << plain31 << true;
    QTest::newRow("31 chars: trimmed entry") << plain31 << " " + plain31 + " " << true;
    QTest::newRow("31 chars: one less") << plain31 << plain31.left(30) << false;
    QTest::newRow("short: its digest is no match") << "abc" << digestOfAbc << false;
    QTest::newRow("short: the text") << "abc"
                                     << "abc" << true;
}

void TestPasswordCheck::matches()
{
    QFETCH(QString, checkPass);
    QFETCH(QString, typed);
    QFETCH(bool, expected);
    QCOMPARE(PasswordCheck::matches(typed, checkPass), expected);
}

void TestPasswordCheck::storedFormTrimsAndDigests_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "abc" << digestOfAbc;
    QTest::newRow("blanks, tab, line end around") << " \tabc \r\n" << digestOfAbc;
    QTest::newRow("only blanks") << "   " << digestOfEmpty;
    QTest::newRow("letters and digits")
        << "12345678901234567890123456789012345678901234567890123456789012345678901234567890"
        << "57edf4a22be3c955ac49da2e2107b67a";
}

void TestPasswordCheck::storedFormTrimsAndDigests()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QCOMPARE(PasswordCheck::storedForm(typed), expected);
}

void TestPasswordCheck::charactersOutsideTheCodePageCollide()
{
    // Both Cyrillic letters become "?" in the code page, so the two passwords
    // share one digest; "ä" is in the code page and keeps its own.
    const QString stored = PasswordCheck::storedForm(QStringLiteral("pass\u0416"));
    QCOMPARE(stored, PasswordCheck::storedForm(QStringLiteral("pass?")));
    QVERIFY(PasswordCheck::matches(QStringLiteral("pass\u042F"), stored));
    QVERIFY(!PasswordCheck::matches(QStringLiteral("pass\u00E4"), stored));
}

void TestPasswordCheck::fourthWrongEntryPassesTheLimit()
{
    WrongEntryLimit limit;
    for (int entry = 1; entry <= WrongEntryLimit::AllowedWrongEntries; ++entry)
        QVERIFY2(!limit.registerWrongEntry(), qPrintable(QString::number(entry)));
    QVERIFY(limit.registerWrongEntry());
    limit.reset();
    QVERIFY(!limit.registerWrongEntry());
    QCOMPARE(limit.count(), 1);
}

QTEST_GUILESS_MAIN(TestPasswordCheck)
#include "TestPasswordCheck.moc"
