#pragma once

#include <QDialog>

class QPlainTextEdit;

// "Send to Keylogger": shows what a keystroke recorder would have logged
// while the password was typed, the real characters among the decoys. It
// opens 10 pixels below the password prompt, centred on the desktop like it.
class DecoyLogWindow : public QDialog
{
    Q_OBJECT

public:
    explicit DecoyLogWindow(QWidget *parent = nullptr);

    int FTop = 0; // the top it takes when shown

    QPlainTextEdit *Memo1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormActivate();
};
