#include "ui/SettingsWindow.h"

#include "access/gui/PasswordActions.h"
#include "access/gui/PasswordPrompt.h"
#include "keys/PersonalKey.h"
#include "platform/TextTrim.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "settings/BackupRestore.h"
#include "settings/SettingsValues.h"
#include "settings/SettingsWindowIni.h"
#include "ui/FileDialog.h"
#include "ui/FlatButton.h"
#include "ui/GeneralErrorReport.h"
#include "ui/GradientWidget.h"
#include "ui/Icons.h"
#include "ui/RoundedPanel.h"
#include "ui/SettingsTexts.h"
#include "ui/StockTranslation.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>

#include <stdexcept>

namespace {

const QColor ToolBarTop(254, 252, 249);
const QColor GradientBottom(170, 170, 187);
const QColor BodyTop(245, 241, 238);
const QColor ReadOnlyGrey(214, 214, 205);

constexpr int ToolBarHeight = 29;
constexpr int FirstToolButton = 130;
constexpr int CaptionLeft = 24;
constexpr int FieldLeft = 104;
constexpr int FieldWidth = 230;
constexpr int FieldHeight = 21;
constexpr int SideLeft = FieldLeft + FieldWidth + 4;

// Rows of the body, from its top.
constexpr int PasswordRow = 14;
constexpr int DataPathRow = 44;
constexpr int BackupRow = 74;
constexpr int KeyRow = 104;
constexpr int LanguageRow = 132;
constexpr int ButtonRow = 188;

constexpr int GermanItem = 0;
constexpr int EnglishItem = 1;

// A caption that would not fit before its field (the platform's stand-in for
// the window's font may run wider) is set a little smaller.
void fitCaption(QLabel *label, const QString &text)
{
    QFont font = label->parentWidget()->font();
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(text) > label->width())
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
    label->setText(text);
}

void makeGrey(QLineEdit *field)
{
    field->setReadOnly(true);
    QPalette grey = field->palette();
    grey.setColor(QPalette::Base, ReadOnlyGrey);
    field->setPalette(grey);
}

} // namespace

SettingsWindow::SettingsWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , m_prompter(this)
{
    setObjectName(QStringLiteral("FormSetting"));
    setWindowIcon(Icons::icon(Icons::Kind::Settings));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    buildLayout();
    ApplyLanguage();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::buildLayout()
{
    setFixedSize(ClientWidth, ClientHeight);

    ToolBar1 = new GradientWidget(ToolBarTop, GradientBottom, ToolBarHeight, this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, ClientWidth, ToolBarHeight);
    int toolX = FirstToolButton;
    const auto makeToolButton = [this, &toolX](const QString &name, Icons::Kind picture) {
        auto *button = new FlatButton(ToolBar1);
        button->setObjectName(name);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(25, 25));
        // 32 x 31 buttons in a 29-pixel bar, centred on it.
        button->setGeometry(toolX, -1, 32, 31);
        toolX += 32;
        return button;
    };
    ToolButton6 = makeToolButton(QStringLiteral("ToolButton6"), Icons::Kind::PasswordNew);
    ToolButton1 = makeToolButton(QStringLiteral("ToolButton1"), Icons::Kind::PasswordDelete);
    ToolButton8 = makeToolButton(QStringLiteral("ToolButton8"), Icons::Kind::Backup);
    ToolButtonRestore = makeToolButton(QStringLiteral("ToolButtonRestore"), Icons::Kind::Restore);
    ButtonRestKey = makeToolButton(QStringLiteral("ButtonRestKey"), Icons::Kind::KeyLoad);

    Body = new GradientWidget(BodyTop, GradientBottom, 200, this);
    Body->setObjectName(QStringLiteral("Body"));
    Body->setGeometry(0, ToolBarHeight, ClientWidth, ClientHeight - ToolBarHeight);

    const auto makeCaption = [this](const QString &name, int row) {
        auto *label = new QLabel(Body);
        label->setObjectName(name);
        label->setGeometry(CaptionLeft, row, FieldLeft - CaptionLeft - 2, FieldHeight);
        return label;
    };
    const auto makeField = [this](const QString &name, int row) {
        auto *field = new QLineEdit(Body);
        field->setObjectName(name);
        field->setGeometry(FieldLeft, row, FieldWidth, FieldHeight);
        return field;
    };
    const auto makeSideButton = [this](const QString &name, Icons::Kind picture, int x, int row) {
        auto *button = new FlatButton(Body);
        button->setObjectName(name);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(18, 18));
        button->setGeometry(x, row - 1, 23, 23);
        return button;
    };

    Label1 = makeCaption(QStringLiteral("Label1"), PasswordRow);
    MaskEdit1 = makeField(QStringLiteral("MaskEdit1"), PasswordRow);
    makeGrey(MaskEdit1);
    Label5 = new QLabel(Body);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(SideLeft + 2, PasswordRow, 40, FieldHeight);

    Label4 = makeCaption(QStringLiteral("Label4"), DataPathRow);
    Edit3 = makeField(QStringLiteral("Edit3"), DataPathRow);
    SpeedButton1 =
        makeSideButton(QStringLiteral("SpeedButton1"), Icons::Kind::Folder, SideLeft, DataPathRow);

    Label3 = makeCaption(QStringLiteral("Label3"), BackupRow);
    EditBackup = makeField(QStringLiteral("EditBackup"), BackupRow);
    SpeedButton5 = makeSideButton(QStringLiteral("SpeedButton5"), Icons::Kind::SelectFiles,
                                  SideLeft, BackupRow);

    Label2 = makeCaption(QStringLiteral("Label2"), KeyRow);
    Edit1 = makeField(QStringLiteral("Edit1"), KeyRow);
    makeGrey(Edit1);
    ButtonPchar = makeSideButton(QStringLiteral("ButtonPchar"), Icons::Kind::Eye, SideLeft, KeyRow);
    SpeedButton3 =
        makeSideButton(QStringLiteral("SpeedButton3"), Icons::Kind::KeySave, SideLeft + 24, KeyRow);
    ButtonKey =
        makeSideButton(QStringLiteral("ButtonKey"), Icons::Kind::KeyNew, SideLeft + 48, KeyRow);
    ButtonKey->hide();

    RadioGroup1 = new QGroupBox(Body);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(FieldLeft, LanguageRow, FieldWidth, 44);
    auto *columns = new QHBoxLayout(RadioGroup1);
    columns->setContentsMargins(8, 2, 8, 2);
    RadioGerman = new QRadioButton(RadioGroup1);
    RadioGerman->setObjectName(QStringLiteral("RadioGerman"));
    RadioEnglish = new QRadioButton(RadioGroup1);
    RadioEnglish->setObjectName(QStringLiteral("RadioEnglish"));
    columns->addWidget(RadioGerman, 1);
    columns->addWidget(RadioEnglish, 1);
    m_languages = new QButtonGroup(this);
    m_languages->addButton(RadioGerman, GermanItem);
    m_languages->addButton(RadioEnglish, EnglishItem);

    const auto makeButton = [this](const QString &panelName, const QString &name, int x,
                                   RoundedPanel *&panel) {
        panel = new RoundedPanel(Body);
        panel->setObjectName(panelName);
        panel->setTransparent();
        panel->setBevel(RoundedPanel::Bevel::Soft);
        panel->setGeometry(x, ButtonRow, 114, 34);
        auto *button = new QPushButton(panel);
        button->setObjectName(name);
        button->setGeometry(2, 2, 110, 30);
        // Enter in a field must not save or close the window by itself.
        button->setAutoDefault(false);
        return button;
    };
    ButtonSave =
        makeButton(QStringLiteral("PanelSave"), QStringLiteral("ButtonSave"), FieldLeft, PanelSave);
    ButtonClose = makeButton(QStringLiteral("PanelClose"), QStringLiteral("ButtonClose"),
                             FieldLeft + FieldWidth - 114, PanelClose);

    // Actions run under the general error report: an error that leaves one
    // is shown and the window goes on.
    const auto guarded = [this](void (SettingsWindow::*handler)()) {
        return
            [this, handler] { GeneralErrorReport::guard([this, handler] { (this->*handler)(); }); };
    };
    connect(ToolButton6, &FlatButton::clicked, this, guarded(&SettingsWindow::ToolButton6Click));
    connect(ToolButton1, &FlatButton::clicked, this, guarded(&SettingsWindow::ToolButton1Click));
    connect(ToolButton8, &FlatButton::clicked, this, guarded(&SettingsWindow::ToolButton8Click));
    connect(ToolButtonRestore, &FlatButton::clicked, this,
            guarded(&SettingsWindow::ToolButtonRestoreClick));
    connect(ButtonRestKey, &FlatButton::clicked, this, guarded(&SettingsWindow::ButtonRestKeyClick));
    connect(SpeedButton1, &FlatButton::clicked, this, guarded(&SettingsWindow::SpeedButton1Click));
    connect(SpeedButton5, &FlatButton::clicked, this, guarded(&SettingsWindow::SpeedButton5Click));
    connect(ButtonPchar, &FlatButton::clicked, this, &SettingsWindow::ButtonPcharClick);
    connect(SpeedButton3, &FlatButton::clicked, this, guarded(&SettingsWindow::SpeedButton3Click));
    connect(ButtonKey, &FlatButton::clicked, this, guarded(&SettingsWindow::ButtonKeyClick));
    connect(ButtonSave, &QPushButton::clicked, this, guarded(&SettingsWindow::ButtonSaveClick));
    connect(ButtonClose, &QPushButton::clicked, this, &SettingsWindow::ButtonCloseClick);
    // Only what the user types marks the data as changed; the window's own
    // filling of the fields does not.
    connect(Edit3, &QLineEdit::textEdited, this, &SettingsWindow::Edit3Change);
    connect(EditBackup, &QLineEdit::textEdited, this, &SettingsWindow::Edit3Change);
    connect(m_languages, &QButtonGroup::idClicked, this, &SettingsWindow::RadioGroup1Click);

    // Key preview: F1 and F11 reach the window before the focused control.
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

// ---------------------------------------------------------------- operations

void SettingsWindow::setPasswordPrompt(PasswordPrompt *prompt)
{
    m_prompt = prompt;
}

PasswordPrompt &SettingsWindow::passwordPrompt()
{
    if (m_prompt.isNull())
        m_prompt = new PasswordPrompt(this);
    return *m_prompt;
}

void SettingsWindow::ApplyLanguage()
{
    const SettingsTexts t = SettingsTexts::forLanguage(PLanguage);
    StockTranslation::apply(PLanguage);
    setWindowTitle(t.caption);
    fitCaption(Label1, t.passwordLabel);
    fitCaption(Label4, t.dataPathLabel);
    fitCaption(Label2, t.keyLabel);
    fitCaption(Label3, t.backupLabel);
    Label5->setText(t.md5Label);
    ButtonSave->setText(t.save);
    ButtonClose->setText(t.close);
    RadioGroup1->setTitle(t.languageBox);
    RadioGerman->setText(t.german);
    RadioEnglish->setText(t.english);
    ToolButton6->setHint(t.newPasswordHint);
    ToolButton1->setHint(t.deletePasswordHint);
    ToolButton8->setHint(t.backupHint);
    ToolButtonRestore->setHint(t.restoreHint);
    ButtonRestKey->setHint(t.restoreKeyHint);
    SpeedButton1->setHint(t.explorerHint);
    SpeedButton5->setHint(t.backupFolderHint);
    SpeedButton3->setHint(t.exportKeyHint);
    ButtonKey->setHint(t.newKeyHint);
    ButtonPchar->setHint(t.maskHint);
    EditBackup->setToolTip(t.lastBackupHint);
}

SettingsWindowFields SettingsWindow::fields() const
{
    SettingsWindowFields fields;
    fields.PLanguage = PLanguage;
    fields.passwordField = MaskEdit1->text();
    fields.keyField = Edit1->text();
    fields.dataPathField = Edit3->text();
    fields.backupField = EditBackup->text();
    fields.DataChanged = DataChanged;
    return fields;
}

void SettingsWindow::showFields(const SettingsWindowFields &fields)
{
    PLanguage = fields.PLanguage;
    MaskEdit1->setText(fields.passwordField);
    Edit1->setText(fields.keyField);
    Edit3->setText(fields.dataPathField);
    EditBackup->setText(fields.backupField);
    // Long paths show their beginning.
    Edit3->setCursorPosition(0);
    EditBackup->setCursorPosition(0);
    DataChanged = fields.DataChanged;
}

void SettingsWindow::selectLanguage()
{
    (PLanguage == 0 ? RadioGerman : RadioEnglish)->setChecked(true);
}

void SettingsWindow::LoadIni()
{
    SettingsWindowFields loaded = fields();
    QString error;
    const IniLoad result = ::LoadIni(IniDatei, Ccode, settingsValues(), loaded, &error);
    if (result == IniLoad::Unreadable)
        throw std::runtime_error(error.toStdString());
    showFields(loaded);
    // The language read from the file is the one that will be saved; the
    // choice and the texts show it.
    selectLanguage();
    ApplyLanguage();
}

bool SettingsWindow::SaveIni()
{
    SettingsWindowFields current = fields();
    const bool saved = ::SaveIni(IniDatei, Ccode, settingsValues(), current, m_prompter);
    DataChanged = current.DataChanged;
    return saved;
}

void SettingsWindow::SaveAndClose()
{
    SaveIni();
    LoadIni();
    DataChanged = false;
    close();
}

// ---------------------------------------------------------------- opening and closing

void SettingsWindow::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        if (QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        GeneralErrorReport::guard([this] { FormShow(); });
    }
    QDialog::showEvent(event);
}

void SettingsWindow::FormShow()
{
    Edit1->setEchoMode(QLineEdit::Password);
    ButtonKey->hide();
    selectLanguage();
    ApplyLanguage();
    if (!CallSelf) {
        SettingsValues &values = settingsValues();
        const QString folder = QFileInfo(IniDatei).absolutePath();
        values.dataFolder = QDir::toNativeSeparators(
            folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
        values.DataPath = values.dataFolder;
        Edit3->setText(values.DataPath);
        Edit1->clear();
        CallSelf = true; // the window counts as loaded even when reading fails
        LoadIni();
    }
    DataChanged = false;
}

void SettingsWindow::done(int result)
{
    if (m_closing)
        return;
    m_closing = true;
    GeneralErrorReport::guard([this] { FormCloseQuery(); });
    FormClose();
    m_closing = false;
    QDialog::done(result);
}

void SettingsWindow::FormCloseQuery()
{
    if (!DataChanged)
        return;
    const MessageAnswer answer =
        MessageBox::show(this, Message::box(QStringLiteral("Velmora2"),
                                            SettingsTexts::forLanguage(PLanguage).saveNowQuestion,
                                            MessageIcon::Question, MessageButtons::YesNo));
    if (answer == MessageAnswer::Yes)
        SaveIni();
    DataChanged = false;
}

void SettingsWindow::FormClose()
{
    settingsValues().acceptedPassword.clear();
    CallSelf = false;
}

bool SettingsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent *>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool SettingsWindow::FormKeyDown(int key)
{
    if (key == Qt::Key_F1) {
        HelpFile::showContext(HelpContext);
        return true;
    }
    if (key == Qt::Key_F11) {
        ButtonKey->setVisible(ButtonKey->isHidden());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- handlers

void SettingsWindow::RadioGroup1Click(int index)
{
    if (index == PLanguage) // the item already chosen: no change
        return;
    DataChanged = true;
    PLanguage = index;
    ApplyLanguage();
}

void SettingsWindow::Edit3Change()
{
    DataChanged = true;
}

void SettingsWindow::ButtonSaveClick()
{
    SaveAndClose();
}

void SettingsWindow::ButtonCloseClick()
{
    close();
}

void SettingsWindow::ButtonPcharClick()
{
    Edit1->setEchoMode(Edit1->echoMode() == QLineEdit::Password ? QLineEdit::Normal
                                                                : QLineEdit::Password);
}

void SettingsWindow::SpeedButton1Click()
{
    DesktopServices::showFolder(TextTrim::trimmed(Edit3->text()));
}

void SettingsWindow::ButtonKeyClick()
{
    const MessageAnswer answer =
        MessageBox::show(this, Message::box(QStringLiteral("Velmora"),
                                            SettingsTexts::forLanguage(PLanguage).newKeyQuestion,
                                            MessageIcon::Question, MessageButtons::YesNo));
    if (answer != MessageAnswer::Yes)
        return;
    // Shown, not stored: the key reaches the settings file with the next save.
    Edit1->setEchoMode(QLineEdit::Normal);
    Edit1->setText(GenerateUserKey());
}

void SettingsWindow::SpeedButton3Click()
{
    const SettingsValues &values = settingsValues();
    const QString path = FileDialog::getSaveFileName(
        this, values.DataPath, QStringLiteral("All|*.*|Key|*.key|Ini|*.ini"),
        QStringLiteral("Key|*.key"), QString::fromLatin1(ExportFileName));
    if (path.isEmpty())
        return;
    QString error;
    if (!ExportPersonalKey(path, Ccode, values.personalKey, &error))
        throw std::runtime_error(error.toStdString());
}

void SettingsWindow::ButtonRestKeyClick()
{
    SettingsValues &values = settingsValues();
    const QString path = FileDialog::getOpenFileName(
        this, values.DataPath, QStringLiteral("All|*.*|Key|*.key"), QStringLiteral("Key|*.key"));
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<QString> key = RestorePersonalKey(path, Ccode, &error);
    if (!key)
        throw std::runtime_error(error.toStdString());
    if (key->isEmpty())
        return;
    values.personalKey = *key;
    Edit1->setText(*key);
    if (MessageBox::confirm(this, SettingsTexts::forLanguage(PLanguage).saveNowQuestion) ==
        MessageAnswer::Yes) {
        SaveIni();
        LoadIni();
    }
}

void SettingsWindow::SpeedButton5Click()
{
    ChooseBackupFolder(*this);
}

void SettingsWindow::ToolButton8Click()
{
    BackupData(*this);
}

void SettingsWindow::ToolButtonRestoreClick()
{
    // The window shows what was restored, so that a later save keeps the
    // restored key, password and language instead of writing the old ones
    // over them.
    if (RestoreData(*this) > 0)
        LoadIni();
}

void SettingsWindow::ToolButton6Click()
{
    PasswordActions::SetPassword(this, passwordPrompt(), PLanguage,
                                 settingsValues().acceptedPassword, [this] { SaveAndClose(); });
}

void SettingsWindow::ToolButton1Click()
{
    PasswordActions::RemovePassword(this, PLanguage, settingsValues().acceptedPassword,
                                    [this] { SaveAndClose(); });
}

// ---------------------------------------------------------------- the backup's window

QString SettingsWindow::backupField() const
{
    return EditBackup->text();
}

void SettingsWindow::setBackupField(const QString &text)
{
    EditBackup->setText(text);
}

void SettingsWindow::markDataChanged()
{
    DataChanged = true;
}

QString SettingsWindow::chooseFolder(const QString &current)
{
    return FileDialog::getExistingDirectory(this, current);
}

QString SettingsWindow::dataFolder() const
{
    return settingsValues().dataFolder;
}

qint32 SettingsWindow::language() const
{
    return PLanguage;
}

Prompter &SettingsWindow::prompter()
{
    return m_prompter;
}
