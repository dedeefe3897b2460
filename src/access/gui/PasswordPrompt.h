#pragma once

#include "access/DecoyTrigger.h"
#include "access/WrongEntryLimit.h"
#include "keys/RandomSource.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class FlatButton;
class KeyInjector;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class RoundedPanel;
class DecoyLogWindow;
class ResetConfirmDialog;

// The password prompt ("Anti-KeyLogin"). In check mode it compares the typed
// password with CheckPass; in new-password mode (NurTest) it hands back the
// typed text. With the protection box ticked, every character typed into the
// password field is followed by 4 to 7 decoy keys typed into the hidden field
// Edit1, so that a keystroke recorder logs the password buried among them.
class PasswordPrompt : public QDialog
{
    Q_OBJECT

public:
    explicit PasswordPrompt(QWidget *parent = nullptr);
    ~PasswordPrompt() override;

    QString PWD;       // result: emptied when shown, set by Ok
    QString CheckPass; // check mode: the stored password
    int Lang = 0;      // 0 German, else English
    bool NurTest = false;   // new-password mode; reset whenever the prompt closes
    bool PassReset = false; // the user confirmed a password reset

    QLabel *Label1 = nullptr;
    QLineEdit *MaskEdit1 = nullptr;
    FlatButton *ButtonView = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QLineEdit *Edit1 = nullptr; // the decoy field, beneath the Ok panel
    QPlainTextEdit *Memo1 = nullptr; // hidden: the decoy log for display
    FlatButton *SpeedButton3 = nullptr;
    RoundedPanel *PanelOk = nullptr;
    FlatButton *ButtonOk = nullptr;
    RoundedPanel *PanelQuit = nullptr;
    FlatButton *ButtonQuit = nullptr;
    FlatButton *SpeedButton2 = nullptr; // "Passwort vergessen?"

    // The decoy log window and the reset confirmation. The program hands over
    // the instances it created; without them the prompt makes its own.
    void setKeyMemWindow(DecoyLogWindow *window);
    void setPassInfoWindow(ResetConfirmDialog *window);
    DecoyLogWindow *keyMemWindow();
    ResetConfirmDialog *passInfoWindow();

    // The way decoy keys are typed; the platform's own unless replaced.
    void setKeyInjector(std::unique_ptr<KeyInjector> injector);
    const KeyInjector &keyInjector() const { return *m_injector; }

    // What a keystroke recorder would have logged since the prompt was shown
    // or since the last Ok.
    QString decoyLog() const { return m_decoyLog; }
    QString errorText() const { return m_errorText; }
    int wrongEntries() const { return m_wrongEntries.count(); }

    void ApplyLanguage();

Q_SIGNALS:
    // F1: the help opens at the prompt's context (60).
    void helpRequested(int context);

public Q_SLOTS:
    void ButtonOkClick();
    void ButtonQuitClick();
    void ButtonViewClick();
    void SpeedButton2Click();
    void SpeedButton3Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    void FormShow();
    bool FormKeyDown(QKeyEvent *event);
    void MaskEdit1KeyPress();
    void MaskEdit1KeyUp(QKeyEvent *event);
    void SendDecoys();
    void FormClose();
    void closeKeyMemWindow();
    void clearEntry();

    std::unique_ptr<KeyInjector> m_injector;
    RandomSource m_random;
    DecoyTrigger m_trigger;
    WrongEntryLimit m_wrongEntries;
    QString m_decoyLog;
    QString m_errorText;
    QPointer<DecoyLogWindow> m_keyMem;
    QPointer<ResetConfirmDialog> m_passInfo;
};
