#include "access/gui/PasswordPrompt.h"

#include "access/DecoyDraw.h"
#include "access/PasswordCheck.h"
#include "access/WindowsVirtualKey.h"
#include "access/gui/DecoyLogWindow.h"
#include "access/gui/ResetConfirmDialog.h"
#include "core/TextTrim.h"
#include "platform/gui/HelpFile.h"
#include "platform/keyboard/KeyInjector.h"
#include "platform/keyboard/X11KeyboardMap.h"
#include "widgets/FlatButton.h"
#include "widgets/Icons.h"
#include "widgets/MessageBox.h"
#include "widgets/RoundedPanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>

namespace {

// The Windows virtual-key code of the key behind a key event: the event's own
// on Windows; under X11 the code of what the key types without modifiers;
// else taken from the Qt key.
int virtualKeyOf(const QKeyEvent *event)
{
#ifdef Q_OS_WIN
    if (event->nativeVirtualKey() != 0)
        return int(event->nativeVirtualKey());
#endif
    if (const int unshifted = X11KeyboardMap::unshiftedQtKey(event->nativeScanCode()))
        return WindowsVirtualKey::fromQtKey(unshifted);
    return WindowsVirtualKey::fromQtKey(event->key());
}

struct PromptTexts
{
    const char *caption;
    const char *maskHint;
    const char *protection;
    const char *cancel;
    const char *forgot;
    const char *error;
    const char *localDecoys;
    const char *noDecoys;
};

constexpr PromptTexts German{
    "Passwort eingeben:",
    "Passwort anzeieg/verbergen",
    "Schutz gegen Keylogger einschalten",
    "Abbrechen",
    "Passwort vergessen?",
    "Falsches Passwort!",
    "Auf diesem System können Programme keine Tasten eingeben: die Täuschzeichen gehen nur "
    "programmintern an ein verdecktes Feld, ein Keylogger sieht sie nicht.",
    "Die Zufallsquelle des Systems hat versagt: Es können keine Täuschzeichen erzeugt werden. "
    "Der Schutz gegen Keylogger ist ausgeschaltet."};
constexpr PromptTexts English{
    "Enter password:",
    "View/Hide password",
    "Enable protection against keylogger",
    "Cancel",
    "Forgot password?",
    "Invalid password!",
    "This system does not let programs type keys: the decoys are only handed to a hidden field "
    "inside the program, so a keylogger does not see them.",
    "The system's random source failed: no decoys can be made. The protection against "
    "keylogger is switched off."};

const PromptTexts &textsFor(Language language)
{
    return language == Language::German ? German : English;
}

FlatButton *panelButton(RoundedPanel *panel)
{
    auto *button = new FlatButton(panel);
    button->setGeometry(2, 2, panel->width() - 4, panel->height() - 4);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

PasswordPrompt::PasswordPrompt(QWidget *parent)
    : QDialog(parent)
    , m_injector(KeyInjector::createForPlatform())
{
    setObjectName(QStringLiteral("FormPWD"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Anti-KeyLogin"));
    setFixedSize(364, 131);

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("Label1"));
    m_caption->setGeometry(16, 10, 200, 16);

    m_forgotLink = new FlatButton(this);
    m_forgotLink->setObjectName(QStringLiteral("SpeedButton2"));
    m_forgotLink->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_forgotLink->setTextColor(QColor(0, 0, 128));
    QFont underlined = m_forgotLink->font();
    underlined.setUnderline(true);
    m_forgotLink->setFont(underlined);
    m_forgotLink->setCursor(Qt::PointingHandCursor);
    m_forgotLink->setGeometry(214, 6, 140, 20);

    m_passwordField = new QLineEdit(this);
    m_passwordField->setObjectName(QStringLiteral("MaskEdit1"));
    m_passwordField->setEchoMode(QLineEdit::Password);
    m_passwordField->setGeometry(16, 30, 300, 23);

    m_maskButton = new FlatButton(Icons::icon(Icons::Kind::Eye), QString(), this);
    m_maskButton->setObjectName(QStringLiteral("ButtonView"));
    m_maskButton->setGeometry(322, 28, 27, 27);
    m_maskButton->setIconSize(QSize(20, 20));

    m_protection = new QCheckBox(this);
    m_protection->setObjectName(QStringLiteral("CheckBox1"));
    m_protection->setGeometry(16, 62, 300, 20);

    m_decoyLogButton =
        new FlatButton(Icons::icon(Icons::Kind::Keyboard), QStringLiteral("Keylogger info"), this);
    m_decoyLogButton->setObjectName(QStringLiteral("SpeedButton3"));
    m_decoyLogButton->setGeometry(322, 58, 27, 27);
    m_decoyLogButton->setIconSize(QSize(20, 20));

    // The decoy field: created before the Ok panel, which covers it whole.
    m_decoyField = new QLineEdit(this);
    m_decoyField->setObjectName(QStringLiteral("Edit1"));
    m_decoyField->setEchoMode(QLineEdit::Password);
    m_decoyField->setGeometry(178, 95, 78, 24);
    QPalette decoyColours = m_decoyField->palette();
    decoyColours.setColor(QPalette::Base, QColor(192, 192, 192));
    decoyColours.setColor(QPalette::Text, QColor(128, 0, 0));
    m_decoyField->setPalette(decoyColours);

    m_logMemo = new QPlainTextEdit(this);
    m_logMemo->setObjectName(QStringLiteral("Memo1"));
    m_logMemo->setReadOnly(true);
    m_logMemo->hide();

    m_okPanel = new RoundedPanel(this);
    m_okPanel->setObjectName(QStringLiteral("PanelOk"));
    m_okPanel->setBevel(RoundedPanel::Bevel::Raised);
    m_okPanel->setGeometry(174, 92, 86, 30);
    m_okButton = panelButton(m_okPanel);
    m_okButton->setObjectName(QStringLiteral("ButtonOk"));
    m_okButton->setText(QStringLiteral("Ok"));

    m_cancelPanel = new RoundedPanel(this);
    m_cancelPanel->setObjectName(QStringLiteral("PanelQuit"));
    m_cancelPanel->setBevel(RoundedPanel::Bevel::Raised);
    m_cancelPanel->setGeometry(268, 92, 86, 30);
    m_cancelButton = panelButton(m_cancelPanel);
    m_cancelButton->setObjectName(QStringLiteral("ButtonQuit"));

    m_okPanel->raise();
    m_cancelPanel->raise();

    connect(m_okButton, &FlatButton::clicked, this, &PasswordPrompt::okClicked);
    connect(m_cancelButton, &FlatButton::clicked, this, &PasswordPrompt::cancelClicked);
    connect(m_maskButton, &FlatButton::clicked, this, &PasswordPrompt::toggleMaskClicked);
    connect(m_forgotLink, &FlatButton::clicked, this, &PasswordPrompt::forgotPasswordClicked);
    connect(m_decoyLogButton, &FlatButton::clicked, this, &PasswordPrompt::showDecoyLogClicked);

    // Key preview: the prompt sees every key before the control that has the focus.
    const QList<QWidget *> controls = findChildren<QWidget *>();
    for (QWidget *control : controls)
        control->installEventFilter(this);

    applyLanguage();
}

PasswordPrompt::~PasswordPrompt() = default;

PasswordPrompt::Answer PasswordPrompt::askPassword(const QString &storedPassword, Language language)
{
    prepare(storedPassword, language, false);
    exec();
    return m_answer;
}

QString PasswordPrompt::askNewPassword(Language language)
{
    prepare(QString(), language, true);
    exec();
    // The typed text goes to the caller only, not kept here.
    QString typed = m_answer.password;
    m_answer = Answer{};
    return typed;
}

void PasswordPrompt::openForPassword(const QString &storedPassword, Language language)
{
    prepare(storedPassword, language, false);
    show();
}

void PasswordPrompt::openForNewPassword(Language language)
{
    prepare(QString(), language, true);
    show();
}

void PasswordPrompt::prepare(const QString &storedPassword, Language language, bool newPassword)
{
    m_storedPassword = storedPassword;
    m_language = language;
    m_newPassword = newPassword;
    // A new password needs no reset: there is nothing to forget.
    m_forgotLink->setVisible(!newPassword);
}

void PasswordPrompt::setDecoyLogWindow(DecoyLogWindow *window)
{
    m_decoyLogWindow = window;
}

void PasswordPrompt::setResetConfirmDialog(ResetConfirmDialog *dialog)
{
    m_resetDialog = dialog;
}

DecoyLogWindow *PasswordPrompt::decoyLogWindow()
{
    if (m_decoyLogWindow.isNull())
        m_decoyLogWindow = new DecoyLogWindow(this);
    return m_decoyLogWindow;
}

ResetConfirmDialog *PasswordPrompt::resetConfirmDialog()
{
    if (m_resetDialog.isNull())
        m_resetDialog = new ResetConfirmDialog(this);
    return m_resetDialog;
}

void PasswordPrompt::setKeyInjector(std::unique_ptr<KeyInjector> injector)
{
    if (injector) {
        m_injector = std::move(injector);
        applyLanguage();
    }
}

QString PasswordPrompt::errorText() const
{
    return QString::fromUtf8(textsFor(m_language).error);
}

void PasswordPrompt::applyLanguage()
{
    const PromptTexts &t = textsFor(m_language);
    m_caption->setText(QString::fromUtf8(t.caption));
    m_maskButton->setHint(QString::fromUtf8(t.maskHint));
    m_protection->setText(QString::fromUtf8(t.protection));
    m_cancelButton->setText(QString::fromUtf8(t.cancel));
    m_forgotLink->setText(QString::fromUtf8(t.forgot));
    m_protection->setToolTip(m_injector->reachesSystemInput() ? QString()
                                                              : QString::fromUtf8(t.localDecoys));
}

void PasswordPrompt::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        startShowing();
}

void PasswordPrompt::startShowing()
{
    m_answer = Answer{};
    m_decoyLog.clear();
    m_logMemo->clear();
    m_passwordField->clear();
    m_wrongEntries.reset();
    applyLanguage();

    // The window's own area is centred: a window manager's frame is not
    // known before the first showing, and every showing lands on the same
    // place.
    if (const QScreen *desktop = screen()) {
        QRect area(QPoint(0, 0), size());
        area.moveCenter(desktop->availableGeometry().center());
        setGeometry(area);
    }
    raise();
    activateWindow();
    m_passwordField->setFocus();
}

void PasswordPrompt::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event))
        return;
    QDialog::keyPressEvent(event);
}

bool PasswordPrompt::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (handleKey(key))
            return true;
        if (watched == m_passwordField && !key->text().isEmpty())
            characterTyped();
    } else if (event->type() == QEvent::KeyRelease && watched == m_passwordField) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            keyReleased(key);
    }
    return QDialog::eventFilter(watched, event);
}

bool PasswordPrompt::handleKey(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F1:
        Q_EMIT helpRequested(HelpFile::PasswordContext);
        HelpFile::showContext(HelpFile::PasswordContext);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        okClicked();
        return true;
    case Qt::Key_Escape:
        return true; // the prompt is left with Cancel only
    default:
        return false;
    }
}

void PasswordPrompt::characterTyped()
{
    m_trigger.characterTyped();
}

void PasswordPrompt::keyReleased(QKeyEvent *event)
{
    const bool protectionOn = m_protection->isChecked();
    if (!protectionOn)
        return;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const std::optional<QChar> logged = m_trigger.keyReleased(
        protectionOn, virtualKeyOf(event), modifiers.testFlag(Qt::ControlModifier),
        modifiers.testFlag(Qt::ShiftModifier));
    if (logged) {
        m_decoyLog.append(*logged);
        sendDecoys();
        m_passwordField->setFocus();
    }
    m_logMemo->setPlainText(m_decoyLog);
    if (!m_decoyLogWindow.isNull() && m_decoyLogWindow->isVisible())
        m_decoyLogWindow->setLog(m_logMemo->toPlainText());
}

void PasswordPrompt::sendDecoys()
{
    const std::optional<QString> decoys = DecoyDraw::draw(m_random);
    if (!decoys) {
        // Typing on would look protected while it is not.
        m_protection->setChecked(false);
        MessageBox::error(this, QString::fromUtf8(textsFor(m_language).noDecoys));
        return;
    }
    // Each key has reached the decoy field when postKey returns.
    for (const QChar decoy : *decoys) {
        m_decoyField->setFocus();
        m_injector->postKey(decoy, m_decoyField);
        m_decoyLog.append(decoy);
    }
}

void PasswordPrompt::okClicked()
{
    m_decoyLog.clear();
    QString typed = TextTrim::trimmed(m_passwordField->text());
    closeDecoyLog();
    if (!m_newPassword)
        typed = PasswordCheck::comparable(typed, m_storedPassword);

    if (m_newPassword || typed == m_storedPassword) {
        if (typed.isEmpty())
            MessageBox::error(this, errorText());
        m_answer.password = typed;
        accept();
        return;
    }

    // A wrong entry leaves nothing behind in the answer.
    if (m_wrongEntries.registerWrongEntry()) {
        reject();
        return;
    }
    MessageBox::error(this, errorText());
    m_logMemo->clear();
    m_passwordField->clear();
    activateWindow(); // the keyboard comes back from the error box
    m_passwordField->setFocus();
}

void PasswordPrompt::cancelClicked()
{
    closeDecoyLog();
    reject();
}

void PasswordPrompt::toggleMaskClicked()
{
    m_passwordField->setEchoMode(m_passwordField->echoMode() == QLineEdit::Password
                                     ? QLineEdit::Normal
                                     : QLineEdit::Password);
}

void PasswordPrompt::forgotPasswordClicked()
{
    if (resetConfirmDialog()->confirmReset(m_language)) {
        m_answer.reset = true;
        reject();
    }
}

void PasswordPrompt::showDecoyLogClicked()
{
    // 10 pixels between the two frames; the log window gets a frame like
    // the prompt's, above its own area.
    const QRect frame = frameGeometry();
    const int frameTop = geometry().top() - frame.top();
    decoyLogWindow()->showLog(m_logMemo->toPlainText(), frame.bottom() + 1 + 10 + frameTop);
}

void PasswordPrompt::done(int result)
{
    // Nothing of the typed password stays behind in the closed prompt.
    closeDecoyLog();
    clearEntry();
    QDialog::done(result);
    Q_EMIT answered(m_answer);
}

void PasswordPrompt::closeDecoyLog()
{
    if (!m_decoyLogWindow.isNull())
        m_decoyLogWindow->clearAndClose();
}

void PasswordPrompt::clearEntry()
{
    m_decoyLog.clear();
    m_logMemo->clear();
    m_passwordField->clear();
}
