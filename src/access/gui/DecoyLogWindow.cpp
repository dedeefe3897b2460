#include "access/gui/DecoyLogWindow.h"

#include "widgets/DesignPalette.h"

#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>

DecoyLogWindow::DecoyLogWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormKeyMem"));
    DesignPalette::applyTo(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Send to Keylogger"));
    setFixedSize(364, 70);
    // The password prompt keeps the keyboard while the log is on screen.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("Memo1"));
    m_log->setGeometry(rect());
    m_log->setReadOnly(true);
    // A click lets a screen reader read the log; the window never takes the
    // keyboard by itself.
    m_log->setFocusPolicy(Qt::ClickFocus);
    m_log->setAccessibleName(windowTitle());
}

void DecoyLogWindow::showLog(const QString &log, int top)
{
    m_top = top;
    m_log->setPlainText(log);
    show();
}

void DecoyLogWindow::setLog(const QString &log)
{
    m_log->setPlainText(log);
}

void DecoyLogWindow::clearAndClose()
{
    m_log->clear();
    close();
}

QString DecoyLogWindow::log() const
{
    return m_log->toPlainText();
}

void DecoyLogWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    placeBelowPrompt();
}

void DecoyLogWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        placeBelowPrompt();
}

void DecoyLogWindow::placeBelowPrompt()
{
    // The window's own area is placed: a window manager's frame is not known
    // before the first showing.
    QRect area(QPoint(0, 0), size());
    if (const QScreen *desktop = screen())
        area.moveCenter(desktop->availableGeometry().center());
    area.moveTop(m_top);
    setGeometry(area);
}
