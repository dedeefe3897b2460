#include "platform/ProgramInfo.h"
#include "platform/gui/DesktopServices.h"
#include "ui/FlatButton.h"
#include "ui/LinkLabel.h"
#include "ui/AboutDialog.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

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
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("link");
    QTest::newRow("0 German") << 0 << "Über..." << "www.velmora.example/de";
    QTest::newRow("1 English") << 1 << "About..." << "www.velmora.example/en";
    QTest::newRow("-3 English") << -3 << "About..." << "www.velmora.example/en";
}

void TestAboutDialog::captionAndLinkFollowLanguage()
{
    QFETCH(int, language);
    QFETCH(QString, caption);
    QFETCH(QString, link);
    AboutDialog box;
    // The box is reused: the language of each show counts.
    box.ALanguage = language == 0 ? 1 : 0;
    box.show();
    box.hide();
    box.ALanguage = language;
    box.show();
    QCOMPARE(box.windowTitle(), caption);
    QCOMPARE(box.Label5->text(), link);
    QCOMPARE(box.size(), QSize(250, 240));
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(box.Label5->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(box.ProgramIcon->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(box.ProductName->text(), QStringLiteral("Velmora2 SW"));
    QCOMPARE(box.LabelRelease->text(), QStringLiteral("Release"));
    QCOMPARE(box.ButtonClose->text(), QStringLiteral("Ok"));
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
    box.ALanguage = 1;
    QTimer::singleShot(0, &box, [&] {
        QWidget *target = logo ? static_cast<QWidget *>(box.ProgramIcon) : box.Label5;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    });
    box.exec(); // returns because the click closes the box
    QVERIFY(!box.isVisible());
    QCOMPARE(DesktopServices::openedUrls(), QList<QUrl>{QUrl("https://www.velmora.example/en")});
}

void TestAboutDialog::okClosesWithoutOpening()
{
    AboutDialog box;
    QTimer::singleShot(0, &box, [&] { QTest::mouseClick(box.ButtonClose, Qt::LeftButton); });
    box.exec();
    QVERIFY(!box.isVisible());
    QVERIFY(DesktopServices::openedUrls().isEmpty());
}

void TestAboutDialog::openUrlOnHiddenBoxIsHarmless()
{
    AboutDialog box;
    box.OpenUrl(QStringLiteral("https://www.velmora.example/de"));
    QVERIFY(!box.isVisible());
    QCOMPARE(DesktopServices::openedUrls().size(), 1);
}

void TestAboutDialog::versionText_data()
{
    QTest::addColumn<QString>("compiled");
    QTest::addColumn<QString>("shown");
    QTest::newRow("four numbers") << "2.1.0.0" << "2.1.0.0";
    QTest::newRow("large numbers") << "2.10.65535.12" << "2.10.65535.12";
    QTest::newRow("none") << "" << "undefined";
    QTest::newRow("three numbers") << "2.1.0" << "undefined";
    QTest::newRow("letters") << "2.1.0.beta" << "undefined";
}

void TestAboutDialog::versionText()
{
    QFETCH(QString, compiled);
    QFETCH(QString, shown);
    QCOMPARE(ProgramInfo::versionOrUndefined(compiled), shown);
}

QTEST_MAIN(TestAboutDialog)
#include "TestAboutDialog.moc"
