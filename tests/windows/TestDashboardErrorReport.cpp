#include "widgets/MessageBox.h"
#include "windows/VelmoraApplication.h"

#include <QTest>
#include <QWidget>

#include <stdexcept>

namespace {

// A window whose key handler fails the way an unhandled error would.
class FailingWindow : public QWidget
{
public:
    int handled = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_E)
            throw std::runtime_error("Disk full");
        ++handled;
    }
};

} // namespace

// The general error report: the error's text in a box, and the program goes on.
class TestDashboardErrorReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorLeavingAHandlerIsShownAndTheProgramGoesOn()
    {
        MessageBox::setAutoAnswer(true);
        FailingWindow window;
        window.show();
        QTest::keyClick(&window, Qt::Key_E);
        const QList<Message> shown = MessageBox::shownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().text, QStringLiteral("Disk full"));
        QCOMPARE(shown.first().caption, QStringLiteral("Velmora2"));
        QCOMPARE(shown.first().buttons, MessageButtons::Ok);
        // The next events are handled as usual.
        QTest::keyClick(&window, Qt::Key_A);
        QCOMPARE(window.handled, 1);
        QTest::keyClick(&window, Qt::Key_E);
        QCOMPARE(MessageBox::shownMessages().size(), 2);
    }
};

int main(int argc, char *argv[])
{
    VelmoraApplication app(argc, argv);
    TestDashboardErrorReport test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestDashboardErrorReport.moc"
