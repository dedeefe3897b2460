#include "windows/SettingsWindow.h"

#include "access/gui/PasswordActions.h"
#include "access/gui/PasswordPrompt.h"
#include "core/TextTrim.h"
#include "keys/PersonalKey.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "settings/BackupRestore.h"
#include "settings/FormatChoice.h"
#include "settings/SettingsValues.h"
#include "settings/SettingsWindowValues.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/GeneralErrorReport.h"
#include "widgets/GradientWidget.h"
#include "widgets/Icons.h"
#include "widgets/RoundedPanel.h"
#include "widgets/StockTranslation.h"
#include "windows/NameCheck.h"
#include "windows/SettingsTexts.h"

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
constexpr int FormatRow = 182;
constexpr int ButtonRow = 238;

constexpr int GermanItem = 0;
constexpr int EnglishItem = 1;

// The captions share one size: the window's, or a little smaller when one of
// them would not fit before its field (the platform's stand-in for the
// window's font may run wider), so that no caption looks smaller than the
// others.
void setCaptions(const QList<std::pair<QLabel *, QString>> &captions, const QFont &windowFont)
{
    QFont font = windowFont;
    const auto fits = [&captions](const QFont &candidate) {
        const QFontMetrics metrics(candidate);
        for (const auto &[label, text] : captions) {
            if (metrics.horizontalAdvance(text) > label->width())
                return false;
        }
        return true;
    };
    while (font.pixelSize() > 8 && !fits(font))
        font.setPixelSize(font.pixelSize() - 1);
    for (const auto &[label, text] : captions) {
        label->setFont(font);
        label->setText(text);
    }
}

void makeGrey(QLineEdit *field)
{
    field->setReadOnly(true);
    QPalette grey = field->palette();
    grey.setColor(QPalette::Base, ReadOnlyGrey);
    field->setPalette(grey);
}

// Long texts show their beginning, and nothing of the first character is
// scrolled out of sight.
void showFromStart(QLineEdit *field, const QString &text)
{
    field->setText(text);
    field->setCursorPosition(0);
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
    connectActions();
    applyLanguage();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::buildLayout()
{
    setFixedSize(ClientWidth, ClientHeight);

    m_toolBar = new GradientWidget(ToolBarTop, GradientBottom, ToolBarHeight, this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setGeometry(0, 0, ClientWidth, ToolBarHeight);
    int toolX = FirstToolButton;
    const auto makeToolButton = [this, &toolX](const QString &name, Icons::Kind picture) {
        auto *button = new FlatButton(m_toolBar);
        button->setObjectName(name);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(25, 25));
        // 32 x 31 buttons in a 29-pixel bar, centred on it.
        button->setGeometry(toolX, -1, 32, 31);
        toolX += 32;
        return button;
    };
    m_setPasswordButton = makeToolButton(QStringLiteral("ToolButton6"), Icons::Kind::PasswordNew);
    m_deletePasswordButton =
        makeToolButton(QStringLiteral("ToolButton1"), Icons::Kind::PasswordDelete);
    m_backupButton = makeToolButton(QStringLiteral("ToolButton8"), Icons::Kind::Backup);
    m_restoreDataButton = makeToolButton(QStringLiteral("ToolButtonRestore"), Icons::Kind::Restore);
    m_restoreKeyButton = makeToolButton(QStringLiteral("ButtonRestKey"), Icons::Kind::KeyLoad);

    m_body = new GradientWidget(BodyTop, GradientBottom, 200, this);
    m_body->setObjectName(QStringLiteral("Body"));
    m_body->setGeometry(0, ToolBarHeight, ClientWidth, ClientHeight - ToolBarHeight);

    const auto makeCaption = [this](const QString &name, int row) {
        auto *label = new QLabel(m_body);
        label->setObjectName(name);
        label->setGeometry(CaptionLeft, row, FieldLeft - CaptionLeft - 2, FieldHeight);
        return label;
    };
    const auto makeField = [this](const QString &name, int row) {
        auto *field = new QLineEdit(m_body);
        field->setObjectName(name);
        field->setGeometry(FieldLeft, row, FieldWidth, FieldHeight);
        return field;
    };
    const auto makeSideButton = [this](const QString &name, Icons::Kind picture, int x, int row) {
        auto *button = new FlatButton(m_body);
        button->setObjectName(name);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(18, 18));
        button->setGeometry(x, row - 1, 23, 23);
        return button;
    };

    m_passwordCaption = makeCaption(QStringLiteral("Label1"), PasswordRow);
    m_passwordField = makeField(QStringLiteral("MaskEdit1"), PasswordRow);
    makeGrey(m_passwordField);
    m_md5Caption = new QLabel(m_body);
    m_md5Caption->setObjectName(QStringLiteral("Label5"));
    m_md5Caption->setGeometry(SideLeft + 2, PasswordRow, 40, FieldHeight);

    m_dataPathCaption = makeCaption(QStringLiteral("Label4"), DataPathRow);
    m_dataPathField = makeField(QStringLiteral("Edit3"), DataPathRow);
    m_showFolderButton =
        makeSideButton(QStringLiteral("SpeedButton1"), Icons::Kind::Folder, SideLeft, DataPathRow);

    m_backupCaption = makeCaption(QStringLiteral("Label3"), BackupRow);
    m_backupField = makeField(QStringLiteral("EditBackup"), BackupRow);
    m_chooseBackupButton = makeSideButton(QStringLiteral("SpeedButton5"), Icons::Kind::SelectFiles,
                                          SideLeft, BackupRow);

    m_keyCaption = makeCaption(QStringLiteral("Label2"), KeyRow);
    m_keyField = makeField(QStringLiteral("Edit1"), KeyRow);
    makeGrey(m_keyField);
    m_keyMaskButton =
        makeSideButton(QStringLiteral("ButtonPchar"), Icons::Kind::Eye, SideLeft, KeyRow);
    m_exportKeyButton =
        makeSideButton(QStringLiteral("SpeedButton3"), Icons::Kind::KeySave, SideLeft + 24, KeyRow);
    m_newKeyButton =
        makeSideButton(QStringLiteral("ButtonKey"), Icons::Kind::KeyNew, SideLeft + 48, KeyRow);
    m_newKeyButton->hide();

    m_languageBox = new QGroupBox(m_body);
    m_languageBox->setObjectName(QStringLiteral("RadioGroup1"));
    m_languageBox->setGeometry(FieldLeft, LanguageRow, FieldWidth, 44);
    auto *columns = new QHBoxLayout(m_languageBox);
    columns->setContentsMargins(8, 2, 8, 2);
    m_germanItem = new QRadioButton(m_languageBox);
    m_germanItem->setObjectName(QStringLiteral("RadioGerman"));
    m_englishItem = new QRadioButton(m_languageBox);
    m_englishItem->setObjectName(QStringLiteral("RadioEnglish"));
    columns->addWidget(m_germanItem, 1);
    columns->addWidget(m_englishItem, 1);
    m_languages = new QButtonGroup(this);
    m_languages->addButton(m_germanItem, GermanItem);
    m_languages->addButton(m_englishItem, EnglishItem);

    m_formatBox = new QGroupBox(m_body);
    m_formatBox->setObjectName(QStringLiteral("FormatChoice"));
    m_formatBox->setGeometry(FieldLeft, FormatRow, FieldWidth, 44);
    auto *formatColumns = new QHBoxLayout(m_formatBox);
    formatColumns->setContentsMargins(8, 2, 8, 2);
    m_compatibleItem = new QRadioButton(m_formatBox);
    m_compatibleItem->setObjectName(QStringLiteral("FormatCompatible"));
    m_ageItem = new QRadioButton(m_formatBox);
    m_ageItem->setObjectName(QStringLiteral("FormatAge"));
    formatColumns->addWidget(m_compatibleItem, 1);
    formatColumns->addWidget(m_ageItem, 1);
    m_formats = new QButtonGroup(this);
    m_formats->addButton(m_compatibleItem, int(FileFormat::Compatible));
    m_formats->addButton(m_ageItem, int(FileFormat::Age));

    const auto makeButton = [this](const QString &panelName, const QString &name, int x,
                                   RoundedPanel *&panel) {
        panel = new RoundedPanel(m_body);
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
    m_saveButton = makeButton(QStringLiteral("PanelSave"), QStringLiteral("ButtonSave"), FieldLeft,
                              m_savePanel);
    m_closeButton = makeButton(QStringLiteral("PanelClose"), QStringLiteral("ButtonClose"),
                               FieldLeft + FieldWidth - 114, m_closePanel);

    // Key preview: F1 and F11 reach the window before the focused control.
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

void SettingsWindow::connectActions()
{
    // Actions run under the general error report: an error that leaves one
    // is shown and the window goes on.
    const auto guarded = [this](void (SettingsWindow::*handler)()) {
        return
            [this, handler] { GeneralErrorReport::guard([this, handler] { (this->*handler)(); }); };
    };
    connect(m_setPasswordButton, &FlatButton::clicked, this,
            guarded(&SettingsWindow::setPasswordClicked));
    connect(m_deletePasswordButton, &FlatButton::clicked, this,
            guarded(&SettingsWindow::deletePasswordClicked));
    connect(m_backupButton, &FlatButton::clicked, this, guarded(&SettingsWindow::backupClicked));
    connect(m_restoreDataButton, &FlatButton::clicked, this,
            guarded(&SettingsWindow::restoreDataClicked));
    connect(m_restoreKeyButton, &FlatButton::clicked, this,
            guarded(&SettingsWindow::restoreKeyClicked));
    connect(m_showFolderButton, &FlatButton::clicked, this,
            guarded(&SettingsWindow::showDataFolderClicked));
    connect(m_chooseBackupButton, &FlatButton::clicked, this,
            guarded(&SettingsWindow::chooseBackupFolderClicked));
    connect(m_keyMaskButton, &FlatButton::clicked, this, &SettingsWindow::toggleKeyMaskClicked);
    connect(m_exportKeyButton, &FlatButton::clicked, this,
            guarded(&SettingsWindow::exportKeyClicked));
    connect(m_newKeyButton, &FlatButton::clicked, this, guarded(&SettingsWindow::newKeyClicked));
    connect(m_saveButton, &QPushButton::clicked, this, guarded(&SettingsWindow::saveAndClose));
    connect(m_closeButton, &QPushButton::clicked, this, &SettingsWindow::close);
    // Only what the user types marks the data as changed; the window's own
    // filling of the fields does not.
    connect(m_dataPathField, &QLineEdit::textEdited, this, &SettingsWindow::fieldEdited);
    connect(m_backupField, &QLineEdit::textEdited, this, &SettingsWindow::fieldEdited);
    connect(m_formats, &QButtonGroup::idClicked, this, &SettingsWindow::formatChosen);
    connect(m_languages, &QButtonGroup::idClicked, this, &SettingsWindow::languageChosen);
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

void SettingsWindow::applyLanguage()
{
    const SettingsTexts t = SettingsTexts::forLanguage(m_language);
    StockTranslation::apply(m_language);
    setWindowTitle(t.caption);
    setCaptions({{m_passwordCaption, t.passwordLabel},
                 {m_dataPathCaption, t.dataPathLabel},
                 {m_keyCaption, t.keyLabel},
                 {m_backupCaption, t.backupLabel}},
                font());
    m_md5Caption->setText(t.md5Label);
    m_saveButton->setText(t.save);
    m_closeButton->setText(t.close);
    m_languageBox->setTitle(t.languageBox);
    m_germanItem->setText(t.german);
    m_englishItem->setText(t.english);
    m_formatBox->setTitle(t.formatBox);
    m_compatibleItem->setText(t.compatibleFormat);
    m_ageItem->setText(t.strongFormat);
    m_setPasswordButton->setHint(t.newPasswordHint);
    m_deletePasswordButton->setHint(t.deletePasswordHint);
    m_backupButton->setHint(t.backupHint);
    m_restoreDataButton->setHint(t.restoreHint);
    m_restoreKeyButton->setHint(t.restoreKeyHint);
    m_showFolderButton->setHint(t.explorerHint);
    m_chooseBackupButton->setHint(t.backupFolderHint);
    m_exportKeyButton->setHint(t.exportKeyHint);
    m_newKeyButton->setHint(t.newKeyHint);
    m_keyMaskButton->setHint(t.maskHint);
    m_backupField->setToolTip(t.lastBackupHint);
}

SettingsWindowFields SettingsWindow::fields() const
{
    SettingsWindowFields fields;
    fields.language = m_language;
    fields.passwordField = m_passwordField->text();
    fields.keyField = m_keyField->text();
    fields.dataPathField = m_dataPathField->text();
    fields.backupField = m_backupField->text();
    fields.dataChanged = m_dataChanged;
    return fields;
}

void SettingsWindow::showFields(const SettingsWindowFields &fields)
{
    m_language = fields.language;
    showFromStart(m_passwordField, fields.passwordField);
    showFromStart(m_keyField, fields.keyField);
    showFromStart(m_dataPathField, fields.dataPathField);
    showFromStart(m_backupField, fields.backupField);
    m_dataChanged = fields.dataChanged;
}

void SettingsWindow::selectLanguage()
{
    (m_language == Language::German ? m_germanItem : m_englishItem)->setChecked(true);
}

void SettingsWindow::selectFormat()
{
    const FileFormat stored = FormatChoice::load(formatFolder());
    (stored == FileFormat::Age ? m_ageItem : m_compatibleItem)->setChecked(true);
}

// The folder of the settings file: the data folder of this opening.
QString SettingsWindow::formatFolder() const
{
    return QFileInfo(m_session.settingsFile).absolutePath();
}

SettingsValues &SettingsWindow::shared() const
{
    if (m_session.shared == nullptr)
        throw std::logic_error("The settings window was opened without the run's values.");
    return *m_session.shared;
}

void SettingsWindow::loadIni()
{
    SettingsWindowFields loaded = fields();
    QString error;
    const SettingsReading::Status status =
        loaded.load(m_session.settingsFile, m_session.textKey, shared(), &error);
    if (status != SettingsReading::Status::Read && status != SettingsReading::Status::NoFile)
        throw std::runtime_error(error.toStdString());
    showFields(loaded);
    // The language read from the file is the one that will be saved; the
    // choice and the texts show it.
    selectLanguage();
    applyLanguage();
}

bool SettingsWindow::saveIni()
{
    SettingsWindowFields current = fields();
    const bool saved = saveWindowSettings(m_session.settingsFile, m_session.textKey, shared(),
                                          current, m_prompter);
    m_dataChanged = current.dataChanged;
    return saved;
}

void SettingsWindow::saveAndClose()
{
    saveIni();
    loadIni();
    m_dataChanged = false;
    close();
}

// ---------------------------------------------------------------- opening and closing

void SettingsWindow::open(const SettingsSession &session)
{
    m_session = session;
    m_language = session.language;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void SettingsWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnDesktop();
        GeneralErrorReport::guard([this] { fillFromFile(); });
    }
}

void SettingsWindow::centreOnDesktop()
{
    const QScreen *desktop = screen();
    if (desktop == nullptr)
        return;
    // The window's own area is centred, which does not depend on whether
    // the frame a window manager adds is known yet: the same place at every
    // opening.
    QRect area(QPoint(0, 0), size());
    area.moveCenter(desktop->availableGeometry().center());
    setGeometry(area);
}

void SettingsWindow::fillFromFile()
{
    m_keyField->setEchoMode(QLineEdit::Password);
    m_newKeyButton->hide();
    selectLanguage();
    applyLanguage();
    SettingsValues &values = shared();
    const QString folder = QFileInfo(m_session.settingsFile).absolutePath();
    values.dataFolder = QDir::toNativeSeparators(
        folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
    values.dataPath = values.dataFolder;
    showFromStart(m_dataPathField, values.dataPath);
    m_keyField->clear();
    m_dataChanged = false;
    loadIni();
    selectFormat();
    m_dataChanged = false;
}

void SettingsWindow::done(int result)
{
    if (m_closing)
        return;
    m_closing = true;
    GeneralErrorReport::guard([this] { askToSaveOnClose(); });
    if (m_session.shared != nullptr)
        m_session.shared->acceptedPassword.clear();
    m_closing = false;
    QDialog::done(result);
    Q_EMIT closed();
}

void SettingsWindow::askToSaveOnClose()
{
    if (!m_dataChanged)
        return;
    const MessageAnswer answer =
        MessageBox::show(this, Message::box(QStringLiteral("Velmora2"),
                                            SettingsTexts::forLanguage(m_language).saveNowQuestion,
                                            MessageIcon::Question, MessageButtons::YesNo));
    if (answer == MessageAnswer::Yes)
        saveIni();
    m_dataChanged = false;
}

bool SettingsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent *>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool SettingsWindow::handleKey(int key)
{
    if (key == Qt::Key_F1) {
        HelpFile::showContext(HelpContext);
        return true;
    }
    if (key == Qt::Key_F11) {
        m_newKeyButton->setVisible(m_newKeyButton->isHidden());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- handlers

void SettingsWindow::languageChosen(int item)
{
    const Language chosen = item == GermanItem ? Language::German : Language::English;
    if (chosen == m_language) // the item already chosen: no change
        return;
    m_dataChanged = true;
    m_language = chosen;
    applyLanguage();
}

// Stored at once in its own file; the settings file stays as it is.
void SettingsWindow::formatChosen(int item)
{
    const FileFormat chosen =
        item == int(FileFormat::Age) ? FileFormat::Age : FileFormat::Compatible;
    if (chosen == FormatChoice::load(formatFolder()))
        return;
    QString error;
    if (!FormatChoice::save(formatFolder(), chosen, &error)) {
        MessageBox::show(this, Message::box(QStringLiteral("Velmora2"), error, MessageIcon::Error));
        selectFormat();
    }
}

void SettingsWindow::fieldEdited()
{
    m_dataChanged = true;
}

void SettingsWindow::toggleKeyMaskClicked()
{
    m_keyField->setEchoMode(m_keyField->echoMode() == QLineEdit::Password ? QLineEdit::Normal
                                                                          : QLineEdit::Password);
    m_keyField->setCursorPosition(0);
}

void SettingsWindow::showDataFolderClicked()
{
    DesktopServices::showFolder(TextTrim::trimmed(m_dataPathField->text()));
}

void SettingsWindow::newKeyClicked()
{
    const MessageAnswer answer =
        MessageBox::show(this, Message::box(QStringLiteral("Velmora"),
                                            SettingsTexts::forLanguage(m_language).newKeyQuestion,
                                            MessageIcon::Question, MessageButtons::YesNo));
    if (answer != MessageAnswer::Yes)
        return;
    const NewUserKey key = GenerateUserKey();
    if (!key.made()) {
        MessageBox::error(this, key.refusal(m_language));
        return;
    }
    // Shown, not stored: the key reaches the settings file with the next save.
    m_keyField->setEchoMode(QLineEdit::Normal);
    showFromStart(m_keyField, key.key);
}

void SettingsWindow::exportKeyClicked()
{
    const SettingsValues &values = shared();
    const QString path = FileDialog::getSaveFileName(
        this, values.dataPath, QStringLiteral("All|*.*|Key|*.key|Ini|*.ini"),
        QStringLiteral("Key|*.key"), QString::fromLatin1(ExportFileName));
    if (path.isEmpty() || !NameCheck::usable(this, path, m_language))
        return;
    QString error;
    if (!ExportPersonalKey(path, m_session.textKey, values.personalKey, &error))
        throw std::runtime_error(error.toStdString());
}

void SettingsWindow::restoreKeyClicked()
{
    SettingsValues &values = shared();
    const QString path = FileDialog::getOpenFileName(
        this, values.dataPath, QStringLiteral("All|*.*|Key|*.key"), QStringLiteral("Key|*.key"));
    if (path.isEmpty() || !NameCheck::usable(this, path, m_language))
        return;
    QString error;
    const std::optional<QString> key = RestorePersonalKey(path, m_session.textKey, &error);
    if (!key)
        throw std::runtime_error(error.toStdString());
    if (key->isEmpty())
        return;
    values.personalKey = *key;
    showFromStart(m_keyField, *key);
    if (MessageBox::confirm(this, SettingsTexts::forLanguage(m_language).saveNowQuestion) ==
        MessageAnswer::Yes) {
        saveIni();
        loadIni();
    }
}

BackupContext SettingsWindow::backupContext()
{
    BackupContext context;
    context.backupField = m_backupField->text();
    context.dataFolder = shared().dataFolder;
    context.language = m_language;
    context.prompter = &m_prompter;
    // A folder that may stand for another is refused as if none was chosen.
    context.chooseFolder = [this](const QString &current) {
        const QString folder = FileDialog::getExistingDirectory(this, current);
        return folder.isEmpty() || NameCheck::usable(this, folder, m_language) ? folder : QString();
    };
    return context;
}

// A backup folder the action chose or used becomes the field's text, as an
// unsaved change.
void SettingsWindow::showBackupOutcome(const BackupOutcome &outcome)
{
    if (!outcome.backupField)
        return;
    showFromStart(m_backupField, *outcome.backupField);
    m_dataChanged = true;
}

void SettingsWindow::chooseBackupFolderClicked()
{
    showBackupOutcome(BackupActions::chooseFolder(backupContext()));
}

void SettingsWindow::backupClicked()
{
    showBackupOutcome(BackupActions::backUp(backupContext()));
}

void SettingsWindow::restoreDataClicked()
{
    // The window shows what was restored, so that a later save keeps the
    // restored key, password and language instead of writing the old ones
    // over them. The backup folder stays the one the user restored from:
    // the restored file may name another one, or none.
    const QString backupFolder = m_backupField->text();
    if (BackupActions::restore(backupContext()).files <= 0)
        return;
    loadIni();
    if (m_backupField->text() != backupFolder) {
        showFromStart(m_backupField, backupFolder);
        m_dataChanged = true;
    }
}

void SettingsWindow::setPasswordClicked()
{
    PasswordActions::SetPassword(this, passwordPrompt(), m_language, shared().acceptedPassword,
                                 [this] { saveAndClose(); });
}

void SettingsWindow::deletePasswordClicked()
{
    PasswordActions::RemovePassword(this, m_language, shared().acceptedPassword,
                                    [this] { saveAndClose(); });
}
