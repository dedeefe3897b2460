#include "RawNames.h"
#include "filetexts/NameTexts.h"
#include "platform/NameBytes.h"

#include <QTest>
#include <QUrl>

class TestNameBytes : public QObject
{
    Q_OBJECT

private slots:
    // Only UTF-8 survives being made text; every other name would come back
    // as other bytes, whatever the locale (the tests run under C and C.UTF-8).
    void survivesText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("survives");
        QTest::newRow("ASCII") << QByteArray("report.txt") << true;
        QTest::newRow("umlaut") << QByteArray("B\xC3\xBC"
                                              "cher.txt")
                                << true;
        QTest::newRow("the replacement character itself") << RawNames::Twin << true;
        QTest::newRow("byte order mark inside") << QByteArray("a\xEF\xBB\xBF"
                                                              "b")
                                                << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("Latin-1 byte") << RawNames::NotUtf8 << false;
        QTest::newRow("lone continuation byte") << QByteArray("a\x80"
                                                              "b")
                                                << false;
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("cut sequence") << QByteArray("a\xE2\x82") << false;
        // Dropped by the decoding: "\xEF\xBB\xBF" "a" would name "a".
        QTest::newRow("byte order mark at the start") << QByteArray("\xEF\xBB\xBF"
                                                                    "a")
                                                      << false;
    }

    void survivesText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, survives);
        QCOMPARE(NameBytes::survivesText(bytes), survives);
    }

    // A text path with U+FFFD may have come from a name that is not UTF-8;
    // it may be used only when its folder has no such name.
    void mayStandForOtherName_data()
    {
        QTest::addColumn<QList<QByteArray>>("entries"); // files; a trailing "/" makes a folder
        QTest::addColumn<QString>("path");              // relative to the folder, as text
        QTest::addColumn<bool>("ambiguous");
        const QString lossy = QString::fromUtf8(RawNames::Twin);
        QTest::newRow("name and its twin")
            << QList<QByteArray>{RawNames::NotUtf8, RawNames::Twin} << lossy << true;
        QTest::newRow("name without a twin")
            << QList<QByteArray>{RawNames::NotUtf8} << lossy << true;
        QTest::newRow("twin alone") << QList<QByteArray>{RawNames::Twin} << lossy << false;
        QTest::newRow("nothing there") << QList<QByteArray>{} << lossy << false;
        QTest::newRow("plain name beside one that is not UTF-8")
            << QList<QByteArray>{RawNames::NotUtf8, "a.txt"} << QStringLiteral("a.txt") << false;
        QTest::newRow("folder that is not UTF-8")
            << QList<QByteArray>{"\xFF/", "\xFF/a.txt", "\xEF\xBF\xBD/", "\xEF\xBF\xBD/a.txt"}
            << QString::fromUtf8("\xEF\xBF\xBD/a.txt") << true;
        QTest::newRow("twin folder alone")
            << QList<QByteArray>{"\xEF\xBF\xBD/", "\xEF\xBF\xBD/a.txt"}
            << QString::fromUtf8("\xEF\xBF\xBD/a.txt") << false;
        QTest::newRow("two bytes that are not UTF-8 read as one text")
            << QList<QByteArray>{"\xFE.txt"} << lossy << true;
    }

    void mayStandForOtherName()
    {
        QFETCH(QList<QByteArray>, entries);
        QFETCH(QString, path);
        QFETCH(bool, ambiguous);
        RawNames::TemporaryFolder dir;
        const QByteArray root = RawNames::bytesOf(dir.path()) + '/';
        for (const QByteArray &entry : entries) {
            if (entry.endsWith('/'))
                QVERIFY(RawNames::makeFolder(root + entry.chopped(1)));
            else
                QVERIFY(RawNames::write(root + entry, "content"));
        }
        QCOMPARE(NameBytes::mayStandForOtherName(dir.path() + QLatin1Char('/') + path), ambiguous);
    }

    // A dropped file's URL keeps the bytes that its text has lost.
    void pathOfUrl_data()
    {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("not UTF-8")
            << QByteArray("file:///tmp/%FF.txt") << QByteArray("/tmp/\xFF.txt");
        QTest::newRow("UTF-8") << QByteArray("file:///tmp/B%C3%BCcher%20neu.txt")
                               << QByteArray("/tmp/B\xC3\xBC"
                                             "cher neu.txt");
        QTest::newRow("the twin") << QByteArray("file:///tmp/%EF%BF%BD.txt")
                                  << QByteArray("/tmp/\xEF\xBF\xBD.txt");
    }

    void pathOfUrl()
    {
        QFETCH(QByteArray, url);
        QFETCH(QByteArray, path);
        QCOMPARE(NameBytes::pathOfUrl(QUrl::fromEncoded(url)), path);
    }

    // How a refused name is shown: what is UTF-8 as text, the rest as \xHH.
    void shownName_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Latin-1 byte") << RawNames::NotUtf8 << QStringLiteral("\\xFF.txt");
        QTest::newRow("UTF-8 around a stray byte")
            << QByteArray("B\xC3\xBC\x80") << QString::fromUtf8("B\xC3\xBC\\x80");
        QTest::newRow("cut sequence") << QByteArray("a\xE2\x82") << QStringLiteral("a\\xE2\\x82");
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                       "a")
                                         << QStringLiteral("\\xEF\\xBB\\xBFa");
    }

    void shownName()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(NameTexts::shown(bytes), shown);
        QVERIFY(NameTexts::notUtf8(bytes, Language::English).startsWith(shown + ": "));
        QVERIFY(NameTexts::notUtf8(bytes, Language::German).startsWith(shown + ": "));
    }
};

QTEST_GUILESS_MAIN(TestNameBytes)
#include "TestNameBytes.moc"
