#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientProgressBar.h"
#include "widgets/GradientWidget.h"
#include "widgets/Icons.h"
#include "widgets/LinkLabel.h"
#include "widgets/MessageBox.h"
#include "widgets/RoundedPanel.h"
#include "widgets/StockTranslation.h"
#include "widgets/TitleBarPanel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>

class TestWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void barWidth_data();
    void barWidth();
    void progressClampsAndColours_data();
    void progressClampsAndColours();
    void progressStripStartsOnePixelWide();
    void gradientBandsRunFromStartToEnd();
    void roundedRegionCutsCornersOnly();
    void linkLabelClicksOnlyOnReleaseInside();
    void picturesAreDrawn();
    void realMessageBoxes_data();
    void realMessageBoxes();
    void enterTakesTheDefaultButton_data();
    void enterTakesTheDefaultButton();
    void enterAndSpacePressButtons_data();
    void enterAndSpacePressButtons();
    void focusFrameReadsOnTheBackground_data();
    void focusFrameReadsOnTheBackground();
    void iconOnlyButtonsAreNamedByTheirHint();
    void stockTextsFollowTheLanguage_data();
    void stockTextsFollowTheLanguage();
    void fileDialogFollowsTheLanguage_data();
    void fileDialogFollowsTheLanguage();
    void cleanup();
};

void TestWidgets::barWidth_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("panelWidth");
    QTest::addColumn<int>("expected");
    QTest::newRow("0 of 485") << 0 << 485 << 0;
    QTest::newRow("100 of 485") << 100 << 485 << 485;
    // 50 x 4.85f is 242.5 in single precision: halves go to the even neighbour.
    QTest::newRow("50 of 485, half to even") << 50 << 485 << 242;
    QTest::newRow("1 of 485") << 1 << 485 << 5;
    QTest::newRow("10 of 485") << 10 << 485 << 48;
    QTest::newRow("100 of 389") << 100 << 389 << 389;
    QTest::newRow("50 of 389, 194.5 to even") << 50 << 389 << 194;
    QTest::newRow("50 of 391, 195.5 to even") << 50 << 391 << 196;
    QTest::newRow("33 of 389") << 33 << 389 << 128;
}

void TestWidgets::barWidth()
{
    QFETCH(int, percent);
    QFETCH(int, panelWidth);
    QFETCH(int, expected);
    QCOMPARE(GradientProgressBar::barWidth(percent, panelWidth), expected);
}

void TestWidgets::progressClampsAndColours_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("width");
    QTest::addColumn<QColor>("start");
    QTest::addColumn<QColor>("end");
    QTest::newRow("decrypt") << 100 << 1 << 485 << QColor(191, 255, 223) << QColor(0, 63, 125);
    QTest::newRow("initial") << 20 << 2 << 97 << QColor(213, 213, 255) << QColor(0, 55, 111);
    QTest::newRow("encrypt") << 40 << 3 << 194 << QColor(255, 217, 255) << QColor(94, 0, 47);
    QTest::newRow("other style is encrypt")
        << 40 << 7 << 194 << QColor(255, 217, 255) << QColor(94, 0, 47);
    QTest::newRow("above 100 clamps")
        << 250 << 3 << 485 << QColor(255, 217, 255) << QColor(94, 0, 47);
    QTest::newRow("below 0 clamps") << -5 << 1 << 0 << QColor(191, 255, 223) << QColor(0, 63, 125);
}

void TestWidgets::progressClampsAndColours()
{
    QFETCH(int, percent);
    QFETCH(int, style);
    QFETCH(int, width);
    QFETCH(QColor, start);
    QFETCH(QColor, end);
    GradientProgressBar bar;
    bar.resize(485, 20);
    QCOMPARE(bar.setProgress(percent, style), width);
    QCOMPARE(bar.strip()->width(), width);
    QCOMPARE(bar.strip()->startColor(), start);
    QCOMPARE(bar.strip()->endColor(), end);
    QVERIFY(bar.percent() >= 0 && bar.percent() <= 100);
    QCOMPARE(bar.strip()->x(), 0);
    QCOMPARE(bar.strip()->height(), 16);
}

void TestWidgets::progressStripStartsOnePixelWide()
{
    GradientProgressBar bar;
    bar.resize(485, 20);
    QCOMPARE(bar.strip()->width(), 1);
    QCOMPARE(bar.strip()->startColor(), QColor(213, 213, 255));
    bar.setProgress(0, 3);
    QCOMPARE(bar.strip()->width(), 0);
    // The width follows a resized frame.
    bar.setProgress(100, 3);
    bar.show();
    bar.resize(389, 20);
    QCOMPARE(bar.strip()->width(), 389);
}

void TestWidgets::gradientBandsRunFromStartToEnd()
{
    GradientWidget gradient(QColor(245, 241, 238), QColor(170, 170, 187), 200);
    gradient.resize(40, 400);
    const QImage image = gradient.grab().toImage();
    QCOMPARE(QColor(image.pixel(5, 0)), QColor(245, 241, 238));
    QCOMPARE(QColor(image.pixel(5, 399)), QColor(170, 170, 187));
    // Monotone from top to bottom, in bands of two rows for 400 rows and 200 steps.
    int previous = 256;
    for (int y = 0; y < 400; ++y) {
        const int red = QColor(image.pixel(5, y)).red();
        QVERIFY2(red <= previous, qPrintable(QString::number(y)));
        previous = red;
    }
    QCOMPARE(image.pixel(5, 0), image.pixel(5, 1));
    // More steps than rows still ends at the end colour.
    gradient.resize(10, 20);
    const QImage small = gradient.grab().toImage();
    QCOMPARE(QColor(small.pixel(1, 19)), QColor(170, 170, 187));
}

void TestWidgets::roundedRegionCutsCornersOnly()
{
    const QRegion region = RoundedPanel::roundRectRegion(QSize(445, 305), QSize(40, 40));
    QVERIFY(!region.contains(QPoint(0, 0)));
    QVERIFY(!region.contains(QPoint(444, 0)));
    QVERIFY(!region.contains(QPoint(0, 304)));
    QVERIFY(!region.contains(QPoint(444, 304)));
    QVERIFY(!region.contains(QPoint(3, 3)));
    QVERIFY(region.contains(QPoint(20, 0)));
    QVERIFY(region.contains(QPoint(0, 20)));
    QVERIFY(region.contains(QPoint(424, 0)));
    QVERIFY(region.contains(QPoint(444, 284)));
    QVERIFY(region.contains(QPoint(222, 152)));
    QVERIFY(region.contains(QPoint(10, 10)));
    QCOMPARE(region.boundingRect(), QRect(0, 0, 445, 305));
    // No ellipse: the whole rectangle.
    QCOMPARE(RoundedPanel::roundRectRegion(QSize(10, 10), QSize()), QRegion(0, 0, 10, 10));
}

void TestWidgets::linkLabelClicksOnlyOnReleaseInside()
{
    LinkLabel link(QStringLiteral("www.example.org"));
    link.resize(120, 20);
    QSignalSpy clicks(&link, &LinkLabel::clicked);
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(clicks.count(), 1);
    QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(clicks.count(), 1);
    QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(300, 10));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(link.font().underline());
}

void TestWidgets::picturesAreDrawn()
{
    // Every picture puts something on its canvas, at small and large sizes.
    for (int k = int(Icons::Kind::App); k <= int(Icons::Kind::AddFolder); ++k) {
        for (int size : {16, 48}) {
            const QImage image = Icons::pixmap(Icons::Kind(k), size).toImage();
            int painted = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
            QVERIFY2(painted > size * size / 10, qPrintable(QString::number(k)));
        }
    }
    QCOMPARE(Icons::banner(QSize(445, 60)).size(), QSize(445, 60));
    FlatButton button(Icons::icon(Icons::Kind::Eye), QStringLiteral("View/Hide password"));
    QCOMPARE(button.hint(), QStringLiteral("View/Hide password"));
}

Q_DECLARE_METATYPE(Message)
Q_DECLARE_METATYPE(MessageAnswer)
Q_DECLARE_METATYPE(MessageButtons)

void TestWidgets::realMessageBoxes_data()
{
    // The box really shown: its title, its buttons' texts from left to right
    // in the order added, and the answer when it is closed with Escape.
    QTest::addColumn<Message>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<MessageAnswer>("escapeAnswer");
    QTest::newRow("warning dialog") << Message::dialog(MessageIcon::Warning, "w") << "Warnung"
                                    << QStringList{"OK"} << MessageAnswer::Ok;
    QTest::newRow("error dialog") << Message::dialog(MessageIcon::Error, "e") << "Fehler"
                                  << QStringList{"OK"} << MessageAnswer::Ok;
    QTest::newRow("information dialog")
        << Message::dialog(MessageIcon::Information, "i") << "Informationen" << QStringList{"OK"}
        << MessageAnswer::Ok;
    QTest::newRow("confirmation dialog")
        << Message::dialog(MessageIcon::Question, "q", MessageButtons::YesNo) << "Bestätigen"
        << QStringList{"&Ja", "&Nein"} << MessageAnswer::No;
    QTest::newRow("OK/Cancel dialog")
        << Message::dialog(MessageIcon::Warning, "c", MessageButtons::OkCancel) << "Warnung"
        << QStringList{"OK", "Abbrechen"} << MessageAnswer::Cancel;
    QTest::newRow("captioned box") << Message::box("Velmora", "b", MessageIcon::Warning)
                                   << "Velmora" << QStringList{"OK"} << MessageAnswer::Ok;
}

void TestWidgets::realMessageBoxes()
{
    QFETCH(Message, message);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);
    QFETCH(MessageAnswer, escapeAnswer);
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
    QString shownTitle;
    QString shownText;
    QStringList shownButtons;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        shownTitle = box->windowTitle();
        shownText = box->text();
        for (QAbstractButton *button : box->buttons())
            shownButtons << button->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    const MessageAnswer answer = MessageBox::show(nullptr, message);
    QCOMPARE(shownTitle, title);
    QCOMPARE(shownText, message.text);
    shownButtons.sort();
    buttons.sort();
    QCOMPARE(shownButtons, buttons);
    QCOMPARE(answer, escapeAnswer);
}

void TestWidgets::enterTakesTheDefaultButton_data()
{
    // Enter on a freshly shown box: a destructive question changes nothing.
    QTest::addColumn<Message>("message");
    QTest::addColumn<MessageAnswer>("enterAnswer");
    const Message yesNo = Message::dialog(MessageIcon::Question, "q", MessageButtons::YesNo);
    const Message okCancel =
        Message::box("Velmora2", "c", MessageIcon::Question, MessageButtons::OkCancel);
    QTest::newRow("yes/no") << yesNo << MessageAnswer::Yes;
    QTest::newRow("destructive yes/no") << yesNo.asDestructive() << MessageAnswer::No;
    QTest::newRow("OK/cancel") << okCancel << MessageAnswer::Ok;
    QTest::newRow("destructive OK/cancel") << okCancel.asDestructive() << MessageAnswer::Cancel;
    QTest::newRow("destructive OK only")
        << Message::dialog(MessageIcon::Warning, "w").asDestructive() << MessageAnswer::Ok;
}

void TestWidgets::enterTakesTheDefaultButton()
{
    QFETCH(Message, message);
    QFETCH(MessageAnswer, enterAnswer);
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        shown = true;
        // Where the keyboard is when the box opens.
        QWidget *focused = box->focusWidget() != nullptr ? box->focusWidget() : box;
        QTest::keyClick(focused, Qt::Key_Return);
    });
    const MessageAnswer answer = MessageBox::show(nullptr, message);
    QVERIFY(shown);
    QCOMPARE(answer, enterAnswer);
}

void TestWidgets::enterAndSpacePressButtons_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("held");
    QTest::addColumn<int>("clicks");
    for (const char *kind : {"flat button", "title-bar button"}) {
        QTest::addRow("%s, Return", kind) << kind << int(Qt::Key_Return) << false << 1;
        QTest::addRow("%s, keypad Enter", kind) << kind << int(Qt::Key_Enter) << false << 1;
        QTest::addRow("%s, Space", kind) << kind << int(Qt::Key_Space) << false << 1;
        QTest::addRow("%s, Return held down", kind) << kind << int(Qt::Key_Return) << true << 0;
        QTest::addRow("%s, another key", kind) << kind << int(Qt::Key_A) << false << 0;
    }
}

void TestWidgets::enterAndSpacePressButtons()
{
    QFETCH(QString, kind);
    QFETCH(int, key);
    QFETCH(bool, held);
    QFETCH(int, clicks);
    QWidget window;
    window.resize(100, 60);
    QAbstractButton *button = nullptr;
    if (kind == QLatin1String("flat button"))
        button = new FlatButton(Icons::icon(Icons::Kind::Encrypt), QStringLiteral("Go"), &window);
    else
        button = new TitleBarPanel(QColor(103, 95, 137), QColor(196, 0, 98), &window);
    button->setGeometry(10, 10, 40, 35);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Both are reached with Tab.
    QVERIFY(button->focusPolicy() & Qt::TabFocus);
    button->setFocus(Qt::TabFocusReason);
    QVERIFY(button->hasFocus());
    QSignalSpy pressed(button, &QAbstractButton::clicked);
    if (held) {
        // The repeats of a key held down press nothing more.
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(button, &repeat);
    } else {
        QTest::keyClick(button, Qt::Key(key));
    }
    QCOMPARE(pressed.count(), clicks);
}

namespace {

double luminance(const QColor &colour)
{
    const auto channel = [](double value) {
        value /= 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
           0.0722 * channel(colour.blue());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

void TestWidgets::focusFrameReadsOnTheBackground_data()
{
    // The backgrounds the buttons are drawn on: the light and the dark end of
    // the windows' gradient, the title bar and its hover colour.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QColor>("background");
    QTest::newRow("flat button, gradient top") << "flat button" << QColor(245, 241, 238);
    QTest::newRow("flat button, gradient bottom") << "flat button" << QColor(170, 170, 187);
    QTest::newRow("title-bar button") << "title-bar button" << QColor(103, 95, 137);
}

void TestWidgets::focusFrameReadsOnTheBackground()
{
    QFETCH(QString, kind);
    QFETCH(QColor, background);
    // A backdrop of the colour behind, a captioned button on it.
    QWidget window;
    window.resize(120, 60);
    window.setAutoFillBackground(true);
    QPalette colours = window.palette();
    colours.setColor(QPalette::Window, background);
    window.setPalette(colours);
    QAbstractButton *button = nullptr;
    if (kind == QLatin1String("flat button")) {
        auto *flat = new FlatButton(&window);
        flat->setToolButtonStyle(Qt::ToolButtonTextOnly);
        flat->setText(QStringLiteral("Ok"));
        flat->setTextColor(QColor(50, 0, 100));
        button = flat;
    } else {
        auto *panel = new TitleBarPanel(background, QColor(196, 0, 98), &window);
        panel->setCaption(QStringLiteral("X"), 14);
        button = panel;
    }
    button->setGeometry(10, 10, 60, 35);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Activation gave it the focus (it is the only control): away with it.
    button->clearFocus();
    QVERIFY(!button->hasFocus());
    const QImage unfocused = button->grab().toImage();
    button->setFocus(Qt::TabFocusReason);
    QVERIFY(button->hasFocus());
    const QImage focused = button->grab().toImage();
    // A frame all round, two pixels in from the edge, away from the caption.
    const QList<QPoint> frame{{2, 2}, {30, 2}, {57, 2}, {2, 17}, {57, 17}, {30, 32}};
    for (const QPoint &point : frame) {
        const QColor before = unfocused.pixelColor(point);
        const QColor after = focused.pixelColor(point);
        QVERIFY2(contrast(before, after) >= 3.0, qPrintable(QStringLiteral("at %1,%2: %3 on %4")
                                                                .arg(point.x())
                                                                .arg(point.y())
                                                                .arg(after.name(), before.name())));
    }
}

void TestWidgets::iconOnlyButtonsAreNamedByTheirHint()
{
    // A screen reader hears the hint of a picture-only button, the caption of
    // one that shows it; a new hint (a language change) renames it.
    FlatButton picture(Icons::icon(Icons::Kind::Encrypt), QStringLiteral("Dateien verschlüsseln"));
    const auto nameOf = [](QWidget *widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    QCOMPARE(nameOf(&picture), QStringLiteral("Dateien verschlüsseln"));
    picture.setHint(QStringLiteral("Encrypt files"));
    QCOMPARE(nameOf(&picture), QStringLiteral("Encrypt files"));

    FlatButton captioned;
    captioned.setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    captioned.setText(QStringLiteral("Verschlüsseln"));
    captioned.setHint(QStringLiteral("Dateien verschlüsseln"));
    QCOMPARE(nameOf(&captioned), QStringLiteral("Verschlüsseln"));
}

void TestWidgets::stockTextsFollowTheLanguage_data()
{
    // A captioned box shows the platform's own buttons, in the language of
    // the interface: Qt's German texts when it is German.
    QTest::addColumn<int>("language");
    QTest::addColumn<MessageButtons>("kind");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("German yes/no") << 0 << MessageButtons::YesNo << QStringList{"&Ja", "&Nein"};
    QTest::newRow("German OK/cancel")
        << 0 << MessageButtons::OkCancel << QStringList{"OK", "Abbrechen"};
    QTest::newRow("English yes/no") << 1 << MessageButtons::YesNo << QStringList{"&Yes", "&No"};
    QTest::newRow("English OK/cancel")
        << 1 << MessageButtons::OkCancel << QStringList{"OK", "Cancel"};
}

void TestWidgets::stockTextsFollowTheLanguage()
{
    QFETCH(int, language);
    QFETCH(MessageButtons, kind);
    QFETCH(QStringList, buttons);
    // German first, then English: switching back must remove the German texts.
    QVERIFY2(StockTranslation::apply(languageFromStored(language)),
             "qtbase_de.qm of qt6-translations-l10n is missing");
    QCOMPARE(StockTranslation::isGerman(), language == 0);
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        for (QAbstractButton *button : box->buttons())
            shown << button->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    MessageBox::show(nullptr, Message::box("Velmora", "?", MessageIcon::Question, kind));
    shown.sort();
    buttons.sort();
    QCOMPARE(shown, buttons);
}

void TestWidgets::fileDialogFollowsTheLanguage_data()
{
    // Qt's own file dialog (not the desktop's): its buttons and labels.
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("lookIn");
    QTest::newRow("German") << 0 << QStringList{"&Öffnen", "Abbrechen"} << "Suchen in:";
    QTest::newRow("English") << 1 << QStringList{"&Open", "Cancel"} << "Look in:";
}

void TestWidgets::fileDialogFollowsTheLanguage()
{
    QFETCH(int, language);
    QFETCH(QStringList, buttons);
    QFETCH(QString, lookIn);
    QVERIFY(StockTranslation::apply(languageFromStored(language)));
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    FileDialog::clearHistory();
    QStringList shownButtons;
    QStringList shownLabels;
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        found = true;
        for (const QDialogButtonBox *box : dialog->findChildren<QDialogButtonBox *>())
            for (const QAbstractButton *button : box->buttons())
                shownButtons << button->text();
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            shownLabels << label->text();
        dialog->reject();
    });
    const QStringList chosen = FileDialog::getOpenFileNames(nullptr, QDir::tempPath(), "All|*.*");
    QVERIFY(found);
    QVERIFY(chosen.isEmpty());
    shownButtons.sort();
    buttons.sort();
    QCOMPARE(shownButtons, buttons);
    QVERIFY2(shownLabels.contains(lookIn), qPrintable(shownLabels.join(" | ")));
}

void TestWidgets::cleanup()
{
    StockTranslation::apply(Language::English);
}

QTEST_MAIN(TestWidgets)
#include "TestWidgets.moc"
