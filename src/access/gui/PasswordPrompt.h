#pragma once

#include "access/DecoyTrigger.h"
#include "access/WrongEntryLimit.h"
#include "core/Language.h"
#include "keys/RandomSource.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>
#include <utility>

class FlatButton;
class KeyInjector;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class RoundedPanel;
class DecoyLogWindow;
class ResetConfirmDialog;

// The password prompt ("Anti-KeyLogin"). Asked for the stored password, it
// compares what the user types with it; asked for a new password, it hands
// back the typed text. With the protection box ticked, every character typed
// into the password field is followed by 4 to 7 decoy keys typed into a
// hidden field, so that a keystroke recorder logs the password buried among
// them.
class PasswordPrompt : public QDialog
{
    Q_OBJECT

public:
    // What the prompt hands back when it closes.
    struct Answer
    {
        // Asked for the stored password: the stored form that matched (empty
        // when the prompt closed without a match). Asked for a new password:
        // the typed text, trimmed, not digested.
        QString password;
        // The user confirmed a password reset.
        bool reset = false;
    };

    explicit PasswordPrompt(QWidget *parent = nullptr);
    ~PasswordPrompt() override;

    // Modal: asks for the stored password (a digest of 32 characters or
    // more is compared with the digest of the typed text, a shorter one with
    // the text itself). Three wrong entries are answered with an error; the
    // fourth closes the prompt.
    Answer askPassword(const QString &storedPassword, Language language);
    // Modal, without the reset link: the new password typed, trimmed; empty
    // when none was typed or the prompt was cancelled.
    QString askNewPassword(Language language);

    // The same requests without waiting: the prompt shows and emits
    // answered() when it closes.
    void openForPassword(const QString &storedPassword, Language language);
    void openForNewPassword(Language language);
    Answer answer() const { return m_answer; }

    // The decoy log window and the reset confirmation. The program hands over
    // the instances it created; without them the prompt makes its own.
    void setDecoyLogWindow(DecoyLogWindow *window);
    void setResetConfirmDialog(ResetConfirmDialog *dialog);
    DecoyLogWindow *decoyLogWindow();
    ResetConfirmDialog *resetConfirmDialog();

    // The way decoy keys are typed; the platform's own unless replaced.
    void setKeyInjector(std::unique_ptr<KeyInjector> injector);
    const KeyInjector &keyInjector() const { return *m_injector; }
    // Where the decoys are drawn from; the system's random source unless
    // replaced.
    void setRandomSource(RandomSource random) { m_random = std::move(random); }

    // What a keystroke recorder would have logged since the prompt was shown
    // or since the last Ok.
    QString decoyLog() const { return m_decoyLog; }
    QString errorText() const;
    int wrongEntries() const { return m_wrongEntries.count(); }

Q_SIGNALS:
    void answered(const PasswordPrompt::Answer &answer);
    // F1: the help opens at the prompt's context (60).
    void helpRequested(int context);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    void prepare(const QString &storedPassword, Language language, bool newPassword);
    void applyLanguage();
    void startShowing();
    bool handleKey(QKeyEvent *event);
    void characterTyped();
    void keyReleased(QKeyEvent *event);
    void sendDecoys();
    void okClicked();
    void cancelClicked();
    void toggleMaskClicked();
    void forgotPasswordClicked();
    void showDecoyLogClicked();
    void closeDecoyLog();
    void clearEntry();

    std::unique_ptr<KeyInjector> m_injector;
    RandomSource m_random;
    DecoyTrigger m_trigger;
    WrongEntryLimit m_wrongEntries;
    QString m_decoyLog;
    QString m_storedPassword;
    Language m_language = Language::German;
    bool m_newPassword = false;
    Answer m_answer;
    QPointer<DecoyLogWindow> m_decoyLogWindow;
    QPointer<ResetConfirmDialog> m_resetDialog;

    QLabel *m_caption = nullptr;
    QLineEdit *m_passwordField = nullptr;
    FlatButton *m_maskButton = nullptr;
    QCheckBox *m_protection = nullptr;
    QLineEdit *m_decoyField = nullptr;   // beneath the Ok panel
    QPlainTextEdit *m_logMemo = nullptr; // hidden: the decoy log for display
    FlatButton *m_decoyLogButton = nullptr;
    RoundedPanel *m_okPanel = nullptr;
    FlatButton *m_okButton = nullptr;
    RoundedPanel *m_cancelPanel = nullptr;
    FlatButton *m_cancelButton = nullptr;
    FlatButton *m_forgotLink = nullptr;
};
