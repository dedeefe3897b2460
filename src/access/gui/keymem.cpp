#include "access/gui/keymem.h"

#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>

TFormKeyMem::TFormKeyMem(QWidget *parent)
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

void TFormKeyMem::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormKeyMem::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFormKeyMem::FormActivate()
{
    int left = x();
    if (const QScreen *desktop = screen())
        left = desktop->availableGeometry().center().x() - frameGeometry().width() / 2;
    move(left, FTop);
}
