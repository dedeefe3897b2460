#include "platform/AnsiCodePage.h"

#include <QTest>

class TestAnsiCodePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyByteSurvivesTheRoundTrip()
    {
        QByteArray all;
        for (int byte = 0; byte < 256; ++byte)
            all.append(static_cast<char>(byte));
        const QString text = AnsiCodePage::toUnicode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(AnsiCodePage::fromUnicode(text), all);
    }

    void conversion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("Key 1!") << QByteArray("Key 1!");
        QTest::newRow("umlauts") << QStringLiteral("äöüß") << QByteArray("\xE4\xF6\xFC\xDF");
        QTest::newRow("euro and quotes")
            << QStringLiteral("\u20AC\u201E\u201C") << QByteArray("\x80\x84\x93");
        QTest::newRow("unassigned bytes as controls")
            << QStringLiteral("\u0081\u008D\u008F\u0090\u009D")
            << QByteArray("\x81\x8D\x8F\x90\x9D");
        QTest::newRow("outside the code page")
            << QStringLiteral("a\u0100b\u4E2D") << QByteArray("a?b?");
        QTest::newRow("other C1 control") << QStringLiteral("\u0085") << QByteArray("?");
        QTest::newRow("surrogate pair is one character")
            << QString::fromUcs4(U"x\U0001F600y") << QByteArray("x?y");
    }

    void conversion()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(AnsiCodePage::fromUnicode(text), bytes);
    }
};

QTEST_GUILESS_MAIN(TestAnsiCodePage)
#include "TestAnsiCodePage.moc"
