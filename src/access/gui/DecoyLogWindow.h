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

    // Shows the log with the top of the window's own area (inside any
    // frame) at `top`, without taking the keyboard from the prompt.
    void showLog(const QString &log, int top);
    void setLog(const QString &log);
    // Empties the log and closes the window.
    void clearAndClose();

    QString log() const;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeBelowPrompt();

    int m_top = 0;
    QPlainTextEdit *m_log = nullptr;
};
