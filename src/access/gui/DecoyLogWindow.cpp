#include "access/gui/DecoyLogWindow.h"

#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>

DecoyLogWindow::DecoyLogWindow(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Send to Keylogger"));
    setFixedSize(364, 70);
    // The password prompt keeps the keyboard while the log is on screen.
    setAttribute(Qt::WA_ShowWithoutActivating);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(rect());
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
}

void DecoyLogWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void DecoyLogWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void DecoyLogWindow::FormActivate()
{
    int left = x();
    if (const QScreen *desktop = screen())
        left = desktop->availableGeometry().center().x() - frameGeometry().width() / 2;
    move(left, FTop);
}
