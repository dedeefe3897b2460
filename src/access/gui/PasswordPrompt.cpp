#include "access/gui/PasswordPrompt.h"

#include "access/DecoyDraw.h"
#include "access/PasswordCheck.h"
#include "access/WindowsVirtualKey.h"
#include "access/gui/KeyInjector.h"
#include "access/gui/ResetConfirmDialog.h"
#include "platform/x11/X11KeyboardMap.h"
#include "access/gui/DecoyLogWindow.h"
#include "platform/TextTrim.h"
#include "platform/gui/HelpFile.h"
#include "ui/FlatButton.h"
#include "ui/Icons.h"
#include "ui/MessageBox.h"
#include "ui/RoundedPanel.h"

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
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Anti-KeyLogin"));
    setFixedSize(364, 131);

    Label1 = new QLabel(this);
    Label1->setGeometry(16, 10, 200, 16);

    SpeedButton2 = new FlatButton(this);
    SpeedButton2->setToolButtonStyle(Qt::ToolButtonTextOnly);
    SpeedButton2->setTextColor(QColor(0, 0, 128));
    QFont underlined = SpeedButton2->font();
    underlined.setUnderline(true);
    SpeedButton2->setFont(underlined);
    SpeedButton2->setCursor(Qt::PointingHandCursor);
    SpeedButton2->setGeometry(214, 6, 140, 20);

    MaskEdit1 = new QLineEdit(this);
    MaskEdit1->setEchoMode(QLineEdit::Password);
    MaskEdit1->setGeometry(16, 30, 300, 23);

    ButtonView = new FlatButton(Icons::icon(Icons::Kind::Eye), QString(), this);
    ButtonView->setGeometry(322, 28, 27, 27);
    ButtonView->setIconSize(QSize(20, 20));

    CheckBox1 = new QCheckBox(this);
    CheckBox1->setGeometry(16, 62, 300, 20);

    SpeedButton3 = new FlatButton(Icons::icon(Icons::Kind::Keyboard),
                                  QStringLiteral("Keylogger info"), this);
    SpeedButton3->setGeometry(322, 58, 27, 27);
    SpeedButton3->setIconSize(QSize(20, 20));

    // The decoy field: created before the Ok panel, which covers it whole.
    Edit1 = new QLineEdit(this);
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setGeometry(178, 95, 78, 24);
    QPalette decoyColours = Edit1->palette();
    decoyColours.setColor(QPalette::Base, QColor(192, 192, 192));
    decoyColours.setColor(QPalette::Text, QColor(128, 0, 0));
    Edit1->setPalette(decoyColours);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->hide();

    PanelOk = new RoundedPanel(this);
    PanelOk->setBevel(RoundedPanel::Bevel::Raised);
    PanelOk->setGeometry(174, 92, 86, 30);
    ButtonOk = panelButton(PanelOk);
    ButtonOk->setText(QStringLiteral("Ok"));

    PanelQuit = new RoundedPanel(this);
    PanelQuit->setBevel(RoundedPanel::Bevel::Raised);
    PanelQuit->setGeometry(268, 92, 86, 30);
    ButtonQuit = panelButton(PanelQuit);

    PanelOk->raise();
    PanelQuit->raise();

    connect(ButtonOk, &FlatButton::clicked, this, &PasswordPrompt::ButtonOkClick);
    connect(ButtonQuit, &FlatButton::clicked, this, &PasswordPrompt::ButtonQuitClick);
    connect(ButtonView, &FlatButton::clicked, this, &PasswordPrompt::ButtonViewClick);
    connect(SpeedButton2, &FlatButton::clicked, this, &PasswordPrompt::SpeedButton2Click);
    connect(SpeedButton3, &FlatButton::clicked, this, &PasswordPrompt::SpeedButton3Click);

    // Key preview: the prompt sees every key before the control that has the focus.
    const QList<QWidget *> controls = findChildren<QWidget *>();
    for (QWidget *control : controls)
        control->installEventFilter(this);

    ApplyLanguage();
}

PasswordPrompt::~PasswordPrompt() = default;

void PasswordPrompt::setKeyMemWindow(DecoyLogWindow *window)
{
    m_keyMem = window;
}

void PasswordPrompt::setPassInfoWindow(ResetConfirmDialog *window)
{
    m_passInfo = window;
}

DecoyLogWindow *PasswordPrompt::keyMemWindow()
{
    if (m_keyMem.isNull())
        m_keyMem = new DecoyLogWindow(this);
    return m_keyMem;
}

ResetConfirmDialog *PasswordPrompt::passInfoWindow()
{
    if (m_passInfo.isNull())
        m_passInfo = new ResetConfirmDialog(this);
    return m_passInfo;
}

void PasswordPrompt::setKeyInjector(std::unique_ptr<KeyInjector> injector)
{
    if (injector) {
        m_injector = std::move(injector);
        ApplyLanguage();
    }
}

void PasswordPrompt::ApplyLanguage()
{
    const bool german = Lang == 0;
    Label1->setText(german ? QStringLiteral("Passwort eingeben:") : QStringLiteral("Enter password:"));
    ButtonView->setHint(german ? QStringLiteral("Passwort anzeieg/verbergen")
                               : QStringLiteral("View/Hide password"));
    CheckBox1->setText(german ? QStringLiteral("Schutz gegen Keylogger einschalten")
                              : QStringLiteral("Enable protection against keylogger"));
    ButtonQuit->setText(german ? QStringLiteral("Abbrechen") : QStringLiteral("Cancel"));
    SpeedButton2->setText(german ? QStringLiteral("Passwort vergessen?")
                                 : QStringLiteral("Forgot password?"));
    m_errorText = german ? QStringLiteral("Falsches Passwort!") : QStringLiteral("Invalid password!");

    if (m_injector->reachesSystemInput()) {
        CheckBox1->setToolTip(QString());
    } else {
        CheckBox1->setToolTip(
            german ? QStringLiteral("Auf diesem System können Programme keine Tasten eingeben: die "
                                    "Täuschzeichen gehen nur programmintern an ein verdecktes Feld, "
                                    "ein Keylogger sieht sie nicht.")
                   : QStringLiteral("This system does not let programs type keys: the decoys are "
                                    "only handed to a hidden field inside the program, so a "
                                    "keylogger does not see them."));
    }
}

void PasswordPrompt::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void PasswordPrompt::FormShow()
{
    PassReset = false;
    m_decoyLog.clear();
    PWD.clear();
    Memo1->clear();
    MaskEdit1->clear();
    m_wrongEntries.reset();
    ApplyLanguage();

    if (const QScreen *desktop = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(desktop->availableGeometry().center());
        move(frame.topLeft());
    }
    raise();
    activateWindow();
    MaskEdit1->setFocus();
}

void PasswordPrompt::keyPressEvent(QKeyEvent *event)
{
    if (FormKeyDown(event))
        return;
    QDialog::keyPressEvent(event);
}

bool PasswordPrompt::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (FormKeyDown(key))
            return true;
        if (watched == MaskEdit1 && !key->text().isEmpty())
            MaskEdit1KeyPress();
    } else if (event->type() == QEvent::KeyRelease && watched == MaskEdit1) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            MaskEdit1KeyUp(key);
    }
    return QDialog::eventFilter(watched, event);
}

bool PasswordPrompt::FormKeyDown(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F1:
        Q_EMIT helpRequested(HelpFile::PasswordContext);
        HelpFile::showContext(HelpFile::PasswordContext);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ButtonOkClick();
        return true;
    case Qt::Key_Escape:
        return true; // the prompt is left with Cancel only
    default:
        return false;
    }
}

void PasswordPrompt::MaskEdit1KeyPress()
{
    m_trigger.characterTyped();
}

void PasswordPrompt::MaskEdit1KeyUp(QKeyEvent *event)
{
    const bool protectionOn = CheckBox1->isChecked();
    if (!protectionOn)
        return;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const std::optional<QChar> logged =
        m_trigger.keyReleased(protectionOn, virtualKeyOf(event),
                              modifiers.testFlag(Qt::ControlModifier),
                              modifiers.testFlag(Qt::ShiftModifier));
    if (logged) {
        m_decoyLog.append(*logged);
        SendDecoys();
        QCoreApplication::processEvents();
        MaskEdit1->setFocus();
    }
    Memo1->setPlainText(m_decoyLog);
    if (!m_keyMem.isNull() && m_keyMem->isVisible())
        m_keyMem->Memo1->setPlainText(Memo1->toPlainText());
}

void PasswordPrompt::SendDecoys()
{
    const QString decoys = DecoyDraw::draw(m_random);
    for (const QChar decoy : decoys) {
        Edit1->setFocus();
        m_injector->postKey(decoy, Edit1);
        m_decoyLog.append(decoy);
        QCoreApplication::processEvents();
    }
}

void PasswordPrompt::ButtonOkClick()
{
    m_decoyLog.clear();
    PWD = TextTrim::trimmed(MaskEdit1->text());
    closeKeyMemWindow();
    if (!NurTest)
        PWD = PasswordCheck::comparable(PWD, CheckPass);

    if (NurTest || PWD == CheckPass) {
        if (PWD.isEmpty())
            MessageBox::error(this, m_errorText);
        accept();
        return;
    }

    // A wrong entry in check mode leaves nothing behind in PWD.
    PWD.clear();
    if (m_wrongEntries.registerWrongEntry()) {
        reject();
        return;
    }
    MessageBox::error(this, m_errorText);
    Memo1->clear();
    MaskEdit1->clear();
    activateWindow(); // the keyboard comes back from the error box
    MaskEdit1->setFocus();
}

void PasswordPrompt::ButtonQuitClick()
{
    closeKeyMemWindow();
    reject();
}

void PasswordPrompt::ButtonViewClick()
{
    MaskEdit1->setEchoMode(MaskEdit1->echoMode() == QLineEdit::Password ? QLineEdit::Normal
                                                                       : QLineEdit::Password);
}

void PasswordPrompt::SpeedButton2Click()
{
    ResetConfirmDialog *info = passInfoWindow();
    info->MyLanguage = Lang;
    info->exec();
    if (info->MyReset) {
        PassReset = true;
        reject();
    }
}

void PasswordPrompt::SpeedButton3Click()
{
    DecoyLogWindow *window = keyMemWindow();
    const QRect prompt = frameGeometry();
    window->FTop = prompt.top() + prompt.height() + 10;
    window->Memo1->setPlainText(Memo1->toPlainText());
    window->show();
}

void PasswordPrompt::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void PasswordPrompt::FormClose()
{
    NurTest = false;
    // Nothing of the typed password stays behind in the closed prompt.
    closeKeyMemWindow();
    clearEntry();
}

void PasswordPrompt::closeKeyMemWindow()
{
    if (!m_keyMem.isNull()) {
        m_keyMem->Memo1->clear();
        m_keyMem->close();
    }
}

void PasswordPrompt::clearEntry()
{
    m_decoyLog.clear();
    Memo1->clear();
    MaskEdit1->clear();
}
