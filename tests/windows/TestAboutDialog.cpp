#include "WidgetPart.h"
#include "WindowParts.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/DesktopServices.h"
#include "widgets/FlatButton.h"
#include "widgets/LinkLabel.h"
#include "windows/AboutDialog.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(Language)

class TestAboutDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void captionAndLinkFollowLanguage_data();
    void captionAndLinkFollowLanguage();
    void linkAndLogoOpenSiteAndClose_data();
    void linkAndLogoOpenSiteAndClose();
    void okClosesWithoutOpening();
    void openUrlOnHiddenBoxIsHarmless();
    void centredOverTheWindowThatAsks();
    void versionText_data();
    void versionText();
};

void TestAboutDialog::init()
{
    DesktopServices::setRecording(true);
    DesktopServices::clearHistory();
}

void TestAboutDialog::captionAndLinkFollowLanguage_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("link");
    QTest::newRow("German") << Language::German << "Über..."
                            << "www.velmora.example/de";
    QTest::newRow("English") << Language::English << "About..."
                             << "www.velmora.example/en";
}

void TestAboutDialog::captionAndLinkFollowLanguage()
{
    QFETCH(Language, language);
    QFETCH(QString, caption);
    QFETCH(QString, link);
    AboutDialog box;
    // The box is reused: the language of each showing counts.
    const Language other = language == Language::German ? Language::English : Language::German;
    QString seen[2];
    QTimer::singleShot(0, &box, [&] {
        seen[0] = box.windowTitle();
        box.close();
    });
    box.showAbout(other, QStringLiteral("1.2.3.4"), nullptr);
    QTimer::singleShot(0, &box, [&] {
        seen[1] = box.windowTitle();
        QCOMPARE(part<LinkLabel>(&box, AboutParts::SiteLink)->text(), link);
        QCOMPARE(part<QLabel>(&box, AboutParts::Version)->text(), QStringLiteral("2.0.0.1"));
        box.close();
    });
    box.showAbout(language, QStringLiteral("2.0.0.1"), nullptr);
    QVERIFY(seen[0] != caption);
    QCOMPARE(seen[1], caption);
    QCOMPARE(box.size(), QSize(250, 240));
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(part<LinkLabel>(&box, AboutParts::SiteLink)->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(part<LinkLabel>(&box, AboutParts::Logo)->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(part<QLabel>(&box, AboutParts::ProductName)->text(), QStringLiteral("Velmora2 SW"));
    QCOMPARE(part<QLabel>(&box, AboutParts::ReleaseCaption)->text(), QStringLiteral("Release"));
    QCOMPARE(part<FlatButton>(&box, AboutParts::Close)->text(), QStringLiteral("Ok"));
}

void TestAboutDialog::linkAndLogoOpenSiteAndClose_data()
{
    QTest::addColumn<bool>("logo");
    QTest::newRow("link label") << false;
    QTest::newRow("logo") << true;
}

void TestAboutDialog::linkAndLogoOpenSiteAndClose()
{
    QFETCH(bool, logo);
    AboutDialog box;
    QTimer::singleShot(0, &box, [&] {
        QWidget *target = part<LinkLabel>(&box, logo ? AboutParts::Logo : AboutParts::SiteLink);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    });
    // Returns because the click closes the box.
    box.showAbout(Language::English, QString(), nullptr);
    QVERIFY(!box.isVisible());
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{QUrl("https://www.velmora.example/en")});
}

void TestAboutDialog::okClosesWithoutOpening()
{
    AboutDialog box;
    QTimer::singleShot(0, &box, [&] {
        QTest::mouseClick(part<FlatButton>(&box, AboutParts::Close), Qt::LeftButton);
    });
    box.showAbout(Language::German, QString(), nullptr);
    QVERIFY(!box.isVisible());
    QVERIFY(DesktopServices::openedUrls().isEmpty());
}

void TestAboutDialog::openUrlOnHiddenBoxIsHarmless()
{
    AboutDialog box;
    box.openUrl(QStringLiteral("https://www.velmora.example/de"));
    QVERIFY(!box.isVisible());
    QCOMPARE(DesktopServices::openedUrls().size(), 1);
}

void TestAboutDialog::centredOverTheWindowThatAsks()
{
    QWidget owner;
    owner.setGeometry(300, 200, 445, 305);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    AboutDialog box(&owner);
    QRect shown;
    QTimer::singleShot(0, &box, [&] {
        shown = box.frameGeometry();
        box.close();
    });
    box.showAbout(Language::German, QString(), &owner);
    const QPoint offset = shown.center() - owner.frameGeometry().center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

void TestAboutDialog::versionText_data()
{
    QTest::addColumn<QString>("compiled");
    QTest::addColumn<QString>("shown");
    QTest::newRow("four numbers") << "2.1.0.0"
                                  << "2.1.0.0";
    QTest::newRow("large numbers") << "2.10.65535.12"
                                   << "2.10.65535.12";
    QTest::newRow("none") << ""
                          << "undefined";
    QTest::newRow("three numbers") << "2.1.0"
                                   << "undefined";
    QTest::newRow("letters") << "2.1.0.beta"
                             << "undefined";
}

void TestAboutDialog::versionText()
{
    QFETCH(QString, compiled);
    QFETCH(QString, shown);
    QCOMPARE(ProgramInfo::versionOrUndefined(compiled), shown);
}

QTEST_MAIN(TestAboutDialog)
#include "TestAboutDialog.moc"
