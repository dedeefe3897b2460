#include "ui/DashboardWindow.h"

#include "access/gui/PasswordPrompt.h"
#include "keys/ApplicationTextKey.h"
#include "keys/PersonalKey.h"
#include "platform/DataFolder.h"
#include "platform/ProgramInfo.h"
#include "platform/TextTrim.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "platform/gui/WindowShadow.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsValues.h"
#include "ui/AppConfig.h"
#include "ui/FlatButton.h"
#include "ui/GeneralErrorReport.h"
#include "ui/GradientWidget.h"
#include "ui/Icons.h"
#include "ui/LinkLabel.h"
#include "ui/MessageBox.h"
#include "ui/AboutDialog.h"
#include "ui/RoundedPanel.h"
#include "ui/StockTranslation.h"
#include "ui/TitleBarPanel.h"
#include "ui/SecureDeleteWindow.h"
#include "ui/EncryptWindow.h"
#include "ui/SettingsWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <stdexcept>

namespace {

const QColor TitleColour(103, 95, 137);
const QColor CloseHover(196, 0, 98);
const QColor PanelHover(138, 119, 142);
const QColor ButtonText(50, 0, 100);

constexpr int ClientWidth = 445;
constexpr int TitleHeight = 35;

QByteArray textKey()
{
    return QByteArray(ApplicationTextKey);
}

} // namespace

DashboardWindow::DashboardWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Velmora2"));
    setWindowIcon(Icons::icon(Icons::Kind::App));
    buildLayout();

    Probe.setLauncher([](const QString &program, const QStringList &arguments) {
        return DesktopServices::RunHidden(program, arguments);
    });
    connect(&Probe, &UpdateProbe::newerVersionFound, this, &DashboardWindow::showUpdateNotice);
    connect(&Probe, &UpdateProbe::lookFailed, this, &GeneralErrorReport::show);
}

DashboardWindow::~DashboardWindow() = default;

void DashboardWindow::setWindows(const DashboardWindows &windows)
{
    m_windows = windows;
}

void DashboardWindow::buildLayout()
{
    setFixedSize(ClientWidth, GermanHeight);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, TitleColour);
    setPalette(colours);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, ClientWidth, TitleHeight);
    Panel1->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("Velmora2"), Panel1);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(16);
    Label1->setFont(titleFont);
    QPalette white = Label1->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(white);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(35, 0, ClientWidth - 35 - 60, TitleHeight);
    // Pressing the title text drags the window like the bar itself.
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);

    PanelImage = new TitleBarPanel(TitleColour, PanelHover, Panel1);
    PanelImage->setObjectName(QStringLiteral("PanelImage"));
    PanelImage->setGeometry(0, 0, 35, TitleHeight);
    Image1 = PanelImage->setPicture(Icons::pixmap(Icons::Kind::App, 24));
    PanelImage->setCursor(Qt::PointingHandCursor);

    PanelMini = new TitleBarPanel(TitleColour, PanelHover, Panel1);
    PanelMini->setObjectName(QStringLiteral("PanelMini"));
    PanelMini->setGeometry(ClientWidth - 60, 0, 30, TitleHeight);
    PanelMini->setCaption(QStringLiteral("-"), 18);

    PanelClose = new TitleBarPanel(TitleColour, CloseHover, Panel1);
    PanelClose->setObjectName(QStringLiteral("PanelClose"));
    PanelClose->setGeometry(ClientWidth - 30, 0, 30, TitleHeight);
    PanelClose->setCaption(QStringLiteral("X"), 14);

    Body = new GradientWidget(QColor(245, 241, 238), QColor(170, 170, 187), 200, this);
    Body->setObjectName(QStringLiteral("Body"));
    Body->setGeometry(0, TitleHeight, ClientWidth, GermanHeight - TitleHeight);

    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPixelSize(16);
    const auto makeButton = [&](const QString &name, Icons::Kind picture, int x, int y) {
        // Each button sits on a raised bevel of its own.
        auto *bevel = new RoundedPanel(Body);
        bevel->setTransparent();
        bevel->setBevel(RoundedPanel::Bevel::Raised);
        bevel->setGeometry(x, y, 204, 64);
        auto *button = new FlatButton(bevel);
        button->setObjectName(name);
        button->setGeometry(2, 2, 200, 60);
        button->setFont(buttonFont);
        button->setTextColor(ButtonText);
        button->setIcon(Icons::icon(picture));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        return button;
    };
    // Body coordinates: the English layout leaves 210 pixels below the bar.
    SpeedButton1 = makeButton(QStringLiteral("SpeedButton1"), Icons::Kind::Encrypt, 12, 22);
    SpeedButton2 = makeButton(QStringLiteral("SpeedButton2"), Icons::Kind::Shred, 229, 22);
    SpeedButton3 = makeButton(QStringLiteral("SpeedButton3"), Icons::Kind::Settings, 120, 112);

    Banner = new LinkLabel(this);
    Banner->setObjectName(QStringLiteral("Banner"));
    Banner->setGeometry(0, EnglishHeight, ClientWidth, 60);
    Banner->setPixmap(Icons::banner(QSize(ClientWidth, 60)));
    Banner->setScaledContents(true);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Updates1 = PopupMenu1->addAction(QStringLiteral("Updates"));
    PopupMenu1->addSeparator();
    ber1 = PopupMenu1->addAction(QStringLiteral("Info"));
    Beenden1 = PopupMenu1->addAction(QStringLiteral("Beenden"));
    // The menu opens from the icon only, never as a context menu.
    setContextMenuPolicy(Qt::NoContextMenu);

    connect(SpeedButton1, &FlatButton::clicked, this, &DashboardWindow::SpeedButton1Click);
    connect(SpeedButton2, &FlatButton::clicked, this, &DashboardWindow::SpeedButton3Click);
    connect(SpeedButton3, &FlatButton::clicked, this, &DashboardWindow::SpeedButton4Click);
    connect(PanelImage, &TitleBarPanel::clicked, this, &DashboardWindow::Image1Click);
    connect(PanelMini, &TitleBarPanel::clicked, this, &DashboardWindow::PanelMiniClick);
    connect(PanelClose, &TitleBarPanel::clicked, this, &DashboardWindow::PanelCloseClick);
    connect(Updates1, &QAction::triggered, this, &DashboardWindow::Updates1Click);
    connect(ber1, &QAction::triggered, this, &DashboardWindow::ber1Click);
    connect(Beenden1, &QAction::triggered, this, &DashboardWindow::Beenden1Click);
    connect(Banner, &LinkLabel::clicked, this, &DashboardWindow::BannerClick);
}

// ---------------------------------------------------------------- operations

QString DashboardWindow::SystemLanguageName()
{
    return ProgramInfo::SystemLanguageName();
}

QString DashboardWindow::ProgramVersion()
{
    return ProgramInfo::ProgramVersion();
}

bool DashboardWindow::LoadSettings()
{
    QString error;
    const SettingsLoad result = ::LoadSettings(IniPath, textKey(), SystemLanguageName(), values,
                                               settingsValues(), &error);
    Language = values.Language;
    m_settingsUsable = result != SettingsLoad::Unreadable;
    if (result == SettingsLoad::Unreadable) {
        GeneralErrorReport::show(error.isEmpty() ? QStringLiteral("Cannot read file \"%1\".").arg(IniPath)
                                                 : error);
        return false;
    }
    return true;
}

bool DashboardWindow::SaveSettings()
{
    values.Language = Language;
    WidgetPrompter prompter(this);
    return ::SaveSettings(IniPath, textKey(), values, prompter);
}

void DashboardWindow::ApplyLanguage()
{
    const bool german = Language == 0;
    StockTranslation::apply(Language);
    HelpFile::setApplicationHelpFile(HelpFile::pageFor(ProgPath, Language));
    SpeedButton1->setText(german ? QStringLiteral("Verschlüsseln") : QStringLiteral("Encrypt"));
    SpeedButton2->setText(german ? QStringLiteral("Sicheres Löschen")
                                 : QStringLiteral("Secure Delete"));
    SpeedButton3->setText(german ? QStringLiteral("Einstellungen") : QStringLiteral("Settings"));
    Beenden1->setText(german ? QStringLiteral("Beenden") : QStringLiteral("Quit"));
}

void DashboardWindow::StartUpdateProbe()
{
    Probe.currentVersion = ProgramVersion();
    Probe.programFileName = ProgramFileName;
    Probe.StartUpdateProbe();
}

QPoint DashboardWindow::menuPosition() const
{
    return frameGeometry().topLeft() + QPoint(10, 40);
}

// ---------------------------------------------------------------- start-up

void DashboardWindow::FormShow()
{
    GeneralErrorReport::guard([this] { runStartupSequence(); });
}

bool DashboardWindow::runStartupSequence()
{
    // 1. Values of an earlier run are forgotten.
    values.storedPassword.clear();
    values.carriedValue.clear();
    Probe.clear();
    Probe.probeFilePath.clear();

    // 2.-5. Where the program, its data and its probe file are.
    ProgPath = ProgramInfo::programFolder();
    ProgramFileName = ProgramInfo::programFileName();
    DatenPfad = DataFolder::path();
    ProgramDrive = ProgPath.left(2);
    Probe.probeFilePath = QDir::toNativeSeparators(
        ProgramInfo::temporaryFolder() + QLatin1Char('/')
        + ProgramInfo::replaceExtension(ProgramFileName, QStringLiteral(".dat")));
    Probe.checkerPath = ProgPath + UpdateProbe::checkerFileName();

    // Captions in the system's language, so that the window reads right even
    // when a step below fails; the settings may choose another one in step 8.
    Language = SystemLanguageName().contains(QStringLiteral("Deutsch")) ? 0 : 1;
    ApplyLanguage();

    // 6. The data folder. Its parent (the user's configuration folder) is not
    // guaranteed to exist on a fresh account, so it is made as well.
    if (!QFileInfo(DatenPfad).isDir()) {
        QString folder = QDir::fromNativeSeparators(DatenPfad);
        while (folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
        QDir().mkpath(QFileInfo(folder).absolutePath());
        if (!DataFolder::ensureExists(DatenPfad))
            throw std::runtime_error(
                QStringLiteral("Cannot create directory \"%1\".").arg(DatenPfad).toStdString());
    }

    // 7.-8. The settings and the language.
    IniPath = DatenPfad + QString::fromLatin1(SettingsFileName);
    if (!LoadSettings())
        return false;
    ApplyLanguage();

    // 9. First start: a personal key is made and stored.
    if (TextTrim::trimmed(values.personalKey).isEmpty()) {
        values.personalKey = GenerateUserKey();
        SaveSettings();
        if (!LoadSettings())
            return false;
    }

    // 10. Without a password the user is reminded to set one, and that is all.
    if (TextTrim::trimmed(values.storedPassword).isEmpty()) {
        MessageBox::show(nullptr, Message::box(QStringLiteral("Velmora"),
                                               Language == 0
                                                   ? QStringLiteral("Bitte legen Sie zuerst ein Passwort an (Einstellungen)!")
                                                   : QStringLiteral("Please create a password first (settings)!"),
                                               MessageIcon::Warning));
        return true;
    }

    // 11. The password.
    SettingsValues &shared = settingsValues();
    if (m_windows.passwordPrompt == nullptr)
        throw std::logic_error("The password prompt is missing.");
    switch (StartupCheck(*m_windows.passwordPrompt, values.storedPassword, shared.acceptedPassword,
                         Language)) {
    case StartupCheckResult::Accepted:
        break;
    case StartupCheckResult::Reset:
        values.storedPassword.clear(); // for this run only; the file keeps line 0
        break;
    case StartupCheckResult::Failed:
        m_startupFailed = true;
        // The window must not appear any more, not even for a moment.
        setAttribute(Qt::WA_DontShowOnScreen);
        Probe.clear();
        Q_EMIT startupRejected();
        return false;
    }
    shared.acceptedPassword = values.storedPassword;

    // 12. The look for a newer version.
    StartUpdateProbe();
    return true;
}

void DashboardWindow::showEvent(QShowEvent *event)
{
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        // Centred on the desktop at the first show.
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect desk = screen->availableGeometry();
            move(desk.center() - QPoint(ClientWidth / 2, GermanHeight / 2));
        }
        WindowShadow::enable(this);
        FormShow();
        if (!m_startupFailed)
            FormActivate();
    }
    QWidget::showEvent(event);
}

void DashboardWindow::FormActivate()
{
    const bool english = Language > 0;
    setFixedSize(ClientWidth, english ? EnglishHeight : GermanHeight);
    Body->setGeometry(0, TitleHeight, ClientWidth, height() - TitleHeight - (english ? 0 : 60));
    Banner->setVisible(!english);
    setMask(RoundedPanel::roundRectRegion(size(), QSize(40, 40)));
}

bool DashboardWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && m_shownOnce && !m_startupFailed)
        FormActivate();
    return QWidget::event(event);
}

// ---------------------------------------------------------------- closing

void DashboardWindow::closeEvent(QCloseEvent *event)
{
    // A run in the encrypt window stops after its file; the dashboard closes
    // once it has.
    if (m_windows.encryptWindow != nullptr && m_windows.encryptWindow->stopForQuit()) {
        connect(m_windows.encryptWindow, &EncryptWindow::stopped, this, &QWidget::close,
                Qt::UniqueConnection);
        event->ignore();
        return;
    }
    Probe.clear();
    if (m_startupFailed) {
        event->accept();
        return;
    }
    // A settings file that could not be read is left as it is.
    if (m_settingsUsable && !IniPath.isEmpty()) {
        try {
            SaveSettings();
        } catch (const std::exception &) {
            MessageBox::show(this, Message::box(QStringLiteral("Velmora2"),
                                                QStringLiteral("Error saving INI file!"),
                                                MessageIcon::Warning));
        }
    }
    if (!Probe.probeFilePath.isEmpty())
        QFile::remove(Probe.probeFilePath);
    event->accept();
    Q_EMIT programEnds();
}

// ---------------------------------------------------------------- actions

void DashboardWindow::SpeedButton1Click()
{
    if (TextTrim::trimmed(values.personalKey).isEmpty()) {
        MessageBox::error(this, Language == 0
                                    ? QStringLiteral("Bitte legen Sie zuerst einen persönlichen Schlüssel an!")
                                    : QStringLiteral("Create your personal key first!"));
        return;
    }
    EncryptWindow *window = m_windows.encryptWindow;
    if (window == nullptr)
        return;
    window->openWith(EncryptSession{TextTrim::trimmed(values.personalKey),
                                    languageFromStored(Language), textKey()});
}

void DashboardWindow::SpeedButton3Click()
{
    SecureDeleteWindow *window = m_windows.secureDeleteWindow;
    if (window == nullptr)
        return;
    window->open(SecureDeleteSession{languageFromStored(Language), {}});
}

void DashboardWindow::SpeedButton4Click()
{
    SettingsWindow *window = m_windows.settingsWindow;
    if (window == nullptr)
        return;
    window->IniDatei = IniPath;
    window->PLanguage = Language;
    window->Ccode = textKey();
    window->InitLF = ProgramDrive;
    window->CallSelf = false;
    window->exec();
    LoadSettings();
    ApplyLanguage();
    FormActivate();
}

void DashboardWindow::Panel1MouseDown(const QPoint &globalPress)
{
    QWindow *window = windowHandle();
    if (window != nullptr && window->startSystemMove())
        return;
    // Without a window manager that moves windows, the window follows the
    // mouse itself until the button is released.
    m_dragging = true;
    m_dragOffset = globalPress - frameGeometry().topLeft();
}

bool DashboardWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel1) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            Panel1MouseDown(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
            return true;
        case QEvent::MouseMove:
            if (m_dragging) {
                move(static_cast<QMouseEvent *>(event)->globalPosition().toPoint() - m_dragOffset);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DashboardWindow::PanelCloseClick()
{
    close();
}

void DashboardWindow::PanelMiniClick()
{
    showMinimized();
}

void DashboardWindow::Image1Click()
{
    PopupMenu1->popup(menuPosition());
}

void DashboardWindow::Updates1Click()
{
    if (m_windows.AboutBox != nullptr)
        m_windows.AboutBox->OpenUrl(QStringLiteral("https://") + AboutDialog::makerSite(Language));
    else
        DesktopServices::openUrl(QUrl(QStringLiteral("https://") + AboutDialog::makerSite(Language)));
}

void DashboardWindow::ber1Click()
{
    AboutDialog *box = m_windows.AboutBox;
    if (box == nullptr)
        return;
    box->ALanguage = Language;
    box->LabelVersion->setText(ProgramVersion());
    box->exec();
}

void DashboardWindow::Beenden1Click()
{
    close();
}

void DashboardWindow::BannerClick()
{
    DesktopServices::openUrl(QUrl(QString::fromUtf8(AppConfig::BannerLink)));
}

void DashboardWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        HelpFile::showContext(HelpFile::DashboardContext);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DashboardWindow::showUpdateNotice()
{
    MessageBox::show(this, Message::box(QString::fromLatin1(UpdateProbe::NoticeCaption),
                                        UpdateProbe::NoticeText(Language),
                                        MessageIcon::Information));
    Updates1Click();
}
