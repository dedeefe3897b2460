#include "windows/RunProgressText.h"

#include <QTest>

Q_DECLARE_METATYPE(Language)

// The estimate a list window shows on a long run: the bytes still to go at
// the pace so far, rounded up, in the window's language.
class TestRunProgressText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timeLeft_data()
    {
        QTest::addColumn<Language>("language");
        QTest::addColumn<quint64>("done");
        QTest::addColumn<quint64>("total");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<QString>("text");
        const Language en = Language::English;
        const Language de = Language::German;
        QTest::newRow("nothing done yet") << en << quint64(0) << quint64(100) << qint64(5000) << "";
        QTest::newRow("too early to tell")
            << en << quint64(50) << quint64(100) << qint64(999) << "";
        QTest::newRow("an empty run") << en << quint64(0) << quint64(0) << qint64(5000) << "";
        QTest::newRow("half way after 10 s")
            << en << quint64(50) << quint64(100) << qint64(10000) << "about 10 s left";
        QTest::newRow("a fraction of a second rounds up")
            << en << quint64(999) << quint64(1000) << qint64(2000) << "about 1 s left";
        QTest::newRow("all done") << en << quint64(100) << quint64(100) << qint64(2000)
                                  << "about 1 s left";
        QTest::newRow("61 s are 2 min")
            << en << quint64(1000) << quint64(62000) << qint64(1000) << "about 2 min left";
        QTest::newRow("hours and minutes")
            << en << quint64(1) << quint64(7501) << qint64(1000) << "about 2 h 5 min left";
        QTest::newRow("a huge run is hours, not a wrapped number")
            << en << quint64(1) << (quint64(1) << 40) << qint64(1000)
            << "about 305419896 h 37 min left";
        QTest::newRow("German seconds")
            << de << quint64(50) << quint64(100) << qint64(10000) << "noch etwa 10 s";
        QTest::newRow("German minutes")
            << de << quint64(10) << quint64(310) << qint64(6000) << "noch etwa 3 Min.";
        QTest::newRow("German hours")
            << de << quint64(1) << quint64(3601) << qint64(1000) << "noch etwa 1 Std. 0 Min.";
    }
    void timeLeft()
    {
        QFETCH(Language, language);
        QFETCH(quint64, done);
        QFETCH(quint64, total);
        QFETCH(qint64, elapsedMs);
        QFETCH(QString, text);
        QCOMPARE(RunProgressText::timeLeft(language, done, total, elapsedMs), text);
    }

    void lineNamesTheFile()
    {
        QCOMPARE(RunProgressText::line(QStringLiteral("a.doc"), QStringLiteral("about 3 s left")),
                 QStringLiteral("a.doc: about 3 s left"));
        QCOMPARE(RunProgressText::line(QStringLiteral("a.doc"), QString()),
                 QStringLiteral("a.doc"));
    }
};

QTEST_MAIN(TestRunProgressText)
#include "TestRunProgressText.moc"
