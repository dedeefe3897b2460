#include "windows/DashboardWindow.h"

#include "access/gui/PasswordPrompt.h"
#include "core/TextTrim.h"
#include "keys/ApplicationTextKey.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/DesktopServices.h"
#include "platform/gui/HelpFile.h"
#include "platform/gui/WindowShadow.h"
#include "settings/StoredSettings.h"
#include "widgets/FlatButton.h"
#include "widgets/GeneralErrorReport.h"
#include "widgets/GradientWidget.h"
#include "widgets/Icons.h"
#include "widgets/LinkLabel.h"
#include "widgets/MessageBox.h"
#include "widgets/RoundedPanel.h"
#include "widgets/StockTranslation.h"
#include "widgets/TitleBarPanel.h"
#include "windows/AboutDialog.h"
#include "windows/AppConfig.h"
#include "windows/EncryptWindow.h"
#include "windows/SecureDeleteWindow.h"
#include "windows/SettingsWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace {

const QColor TitleColour(103, 95, 137);
const QColor CloseHover(196, 0, 98);
const QColor PanelHover(138, 119, 142);
const QColor ButtonText(50, 0, 100);

constexpr int ClientWidth = 445;
constexpr int TitleHeight = 35;
constexpr int BannerHeight = 60;

// The dashboard's texts in one language.
struct DashboardTexts
{
    const char *encrypt;
    const char *secureDelete;
    const char *settings;
    const char *quit;
    const char *noPersonalKey;
    const char *restoreKey;
};

constexpr DashboardTexts German{"Verschlüsseln",
                                "Sicheres Löschen",
                                "Einstellungen",
                                "Beenden",
                                "Bitte legen Sie zuerst einen persönlichen Schlüssel an!",
                                "Stellen Sie Ihren Schlüssel in den Einstellungen aus einer "
                                "Schlüsseldatei wieder her."};
constexpr DashboardTexts English{"Encrypt",
                                 "Secure Delete",
                                 "Settings",
                                 "Quit",
                                 "Create your personal key first!",
                                 "Restore your key from a key file in the settings."};

const DashboardTexts &textsFor(Language language)
{
    return language == Language::German ? German : English;
}

} // namespace

DashboardWindow::DashboardWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_startup(QByteArray(ApplicationTextKey))
    , m_passwordCheck(askStartupPassword)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Velmora2"));
    setWindowIcon(Icons::icon(Icons::Kind::App));
    buildLayout();

    m_probe.setLauncher([](const QString &program, const QStringList &arguments) {
        return DesktopServices::runHidden(program, arguments);
    });
    connect(&m_probe, &UpdateProbe::newerVersionFound, this, &DashboardWindow::showUpdateNotice);
    connect(&m_probe, &UpdateProbe::lookFailed, this, &GeneralErrorReport::show);
}

DashboardWindow::~DashboardWindow() = default;

void DashboardWindow::setWindows(const DashboardWindows &windows)
{
    m_windows = windows;
    if (m_windows.settingsWindow != nullptr)
        connect(m_windows.settingsWindow, &SettingsWindow::closed, this,
                &DashboardWindow::settingsWindowClosed, Qt::UniqueConnection);
}

void DashboardWindow::setPasswordCheck(PasswordCheck check)
{
    m_passwordCheck = std::move(check);
}

void DashboardWindow::buildLayout()
{
    setFixedSize(ClientWidth, GermanHeight);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, TitleColour);
    setPalette(colours);

    m_titleBar = new QWidget(this);
    m_titleBar->setObjectName(QStringLiteral("Panel1"));
    m_titleBar->setGeometry(0, 0, ClientWidth, TitleHeight);
    m_titleBar->installEventFilter(this);

    m_title = new QLabel(QStringLiteral("Velmora2"), m_titleBar);
    m_title->setObjectName(QStringLiteral("Label1"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(16);
    m_title->setFont(titleFont);
    QPalette white = m_title->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(white);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setGeometry(35, 0, ClientWidth - 35 - 60, TitleHeight);
    // Pressing the title text drags the window like the bar itself.
    m_title->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_iconPanel = new TitleBarPanel(TitleColour, PanelHover, m_titleBar);
    m_iconPanel->setObjectName(QStringLiteral("PanelImage"));
    m_iconPanel->setGeometry(0, 0, 35, TitleHeight);
    m_iconPanel->setPicture(Icons::pixmap(Icons::Kind::App, 24));
    m_iconPanel->setCursor(Qt::PointingHandCursor);

    m_minimisePanel = new TitleBarPanel(TitleColour, PanelHover, m_titleBar);
    m_minimisePanel->setObjectName(QStringLiteral("PanelMini"));
    m_minimisePanel->setGeometry(ClientWidth - 60, 0, 30, TitleHeight);
    m_minimisePanel->setCaption(QStringLiteral("-"), 18);

    m_closePanel = new TitleBarPanel(TitleColour, CloseHover, m_titleBar);
    m_closePanel->setObjectName(QStringLiteral("PanelClose"));
    m_closePanel->setGeometry(ClientWidth - 30, 0, 30, TitleHeight);
    m_closePanel->setCaption(QStringLiteral("X"), 14);

    m_body = new GradientWidget(QColor(245, 241, 238), QColor(170, 170, 187), 200, this);
    m_body->setObjectName(QStringLiteral("Body"));
    m_body->setGeometry(0, TitleHeight, ClientWidth, GermanHeight - TitleHeight);

    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPixelSize(16);
    const auto makeButton = [&](const QString &name, Icons::Kind picture, int x, int y) {
        // Each button sits on a raised bevel of its own.
        auto *bevel = new RoundedPanel(m_body);
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
    m_encryptButton = makeButton(QStringLiteral("SpeedButton1"), Icons::Kind::Encrypt, 12, 22);
    m_secureDeleteButton = makeButton(QStringLiteral("SpeedButton2"), Icons::Kind::Shred, 229, 22);
    m_settingsButton = makeButton(QStringLiteral("SpeedButton3"), Icons::Kind::Settings, 120, 112);

    m_banner = new LinkLabel(this);
    m_banner->setObjectName(QStringLiteral("Banner"));
    m_banner->setGeometry(0, EnglishHeight, ClientWidth, BannerHeight);
    m_banner->setPixmap(Icons::banner(QSize(ClientWidth, BannerHeight)));
    m_banner->setScaledContents(true);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    m_updatesEntry = m_menu->addAction(QStringLiteral("Updates"));
    m_updatesEntry->setObjectName(QStringLiteral("Updates1"));
    m_menu->addSeparator();
    m_infoEntry = m_menu->addAction(QStringLiteral("Info"));
    m_infoEntry->setObjectName(QStringLiteral("ber1"));
    m_quitEntry = m_menu->addAction(QStringLiteral("Beenden"));
    m_quitEntry->setObjectName(QStringLiteral("Beenden1"));
    // The menu opens from the icon only, never as a context menu.
    setContextMenuPolicy(Qt::NoContextMenu);

    connect(m_encryptButton, &FlatButton::clicked, this, &DashboardWindow::encryptClicked);
    connect(m_secureDeleteButton, &FlatButton::clicked, this,
            &DashboardWindow::secureDeleteClicked);
    connect(m_settingsButton, &FlatButton::clicked, this, &DashboardWindow::settingsClicked);
    connect(m_iconPanel, &TitleBarPanel::clicked, this, &DashboardWindow::iconClicked);
    connect(m_minimisePanel, &TitleBarPanel::clicked, this, &DashboardWindow::minimiseClicked);
    connect(m_closePanel, &TitleBarPanel::clicked, this, &DashboardWindow::close);
    connect(m_updatesEntry, &QAction::triggered, this, &DashboardWindow::updatesChosen);
    connect(m_infoEntry, &QAction::triggered, this, &DashboardWindow::infoChosen);
    connect(m_quitEntry, &QAction::triggered, this, &DashboardWindow::close);
    connect(m_banner, &LinkLabel::clicked, this, &DashboardWindow::bannerClicked);
}

// ---------------------------------------------------------------- language and layout

void DashboardWindow::applyLanguage()
{
    const Language language = m_startup.language();
    const DashboardTexts &t = textsFor(language);
    StockTranslation::apply(language);
    HelpFile::setApplicationHelpFile(
        HelpFile::pageFor(ProgramInfo::programFolder(), storedLanguage(language)));
    m_encryptButton->setText(QString::fromUtf8(t.encrypt));
    m_secureDeleteButton->setText(QString::fromUtf8(t.secureDelete));
    m_settingsButton->setText(QString::fromUtf8(t.settings));
    m_quitEntry->setText(QString::fromUtf8(t.quit));
}

// The English layout is lower and has no banner; the shape follows.
void DashboardWindow::applyLayout()
{
    const bool english = m_startup.language() == Language::English;
    setFixedSize(ClientWidth, english ? EnglishHeight : GermanHeight);
    m_body->setGeometry(0, TitleHeight, ClientWidth,
                        height() - TitleHeight - (english ? 0 : BannerHeight));
    m_banner->setVisible(!english);
    setMask(RoundedPanel::roundRectRegion(size(), QSize(40, 40)));
}

void DashboardWindow::startUpdateProbe()
{
    const StartupPlaces &places = m_startup.places();
    m_probe.probeFilePath = places.probeFile;
    m_probe.checkerPath = places.checkerPath;
    m_probe.programFileName = places.programFileName;
    m_probe.currentVersion = ProgramInfo::version();
    m_probe.start();
}

QPoint DashboardWindow::menuPosition() const
{
    return frameGeometry().topLeft() + QPoint(10, 40);
}

// ---------------------------------------------------------------- start-up

void DashboardWindow::runStartupSequence()
{
    m_probe.clear();
    WidgetPrompter prompter(this);
    const StartupState state = m_startup.run(prompter);
    applyLanguage();
    switch (state) {
    case StartupState::DataFolderFailed:
    case StartupState::SettingsNotWritten:
    case StartupState::KeyNotMade:
    case StartupState::SettingsUnreadable:
        GeneralErrorReport::show(m_startup.error());
        return;
    case StartupState::ReminderDue:
        MessageBox::show(nullptr,
                         Message::box(QString::fromLatin1(StartupSequence::ReminderCaption),
                                      StartupSequence::reminderText(m_startup.language()),
                                      MessageIcon::Warning));
        return;
    case StartupState::PasswordRequired:
        if (!askForPassword())
            return;
        break;
    case StartupState::PasswordAccepted:
        m_startup.passwordAccepted();
        break;
    }
    startUpdateProbe();
}

bool DashboardWindow::askForPassword()
{
    if (m_windows.passwordPrompt == nullptr)
        throw std::logic_error("The password prompt is missing.");
    switch (m_passwordCheck(*m_windows.passwordPrompt, m_startup.values().storedPassword,
                            m_startup.language())) {
    case StartupCheckResult::Accepted:
        m_startup.passwordAccepted();
        return true;
    case StartupCheckResult::Reset:
        m_startup.passwordReset(); // for this run only; the file keeps line 0
        return true;
    case StartupCheckResult::Failed:
        break;
    }
    m_startupFailed = true;
    // The window must not appear any more, not even for a moment.
    setAttribute(Qt::WA_DontShowOnScreen);
    m_probe.clear();
    Q_EMIT startupRejected();
    return false;
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
        GeneralErrorReport::guard([this] { runStartupSequence(); });
        if (!m_startupFailed) {
            applyLayout();
            m_startupPassed = true;
        }
    }
    QWidget::showEvent(event);
}

bool DashboardWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && m_shownOnce && !m_startupFailed)
        applyLayout();
    return QWidget::event(event);
}

// ---------------------------------------------------------------- closing

void DashboardWindow::closeEvent(QCloseEvent *event)
{
    // A run in the encrypt or secure delete window stops after its file or
    // pass; the dashboard closes once it has.
    if (m_windows.encryptWindow != nullptr && m_windows.encryptWindow->stopForQuit()) {
        connect(m_windows.encryptWindow, &EncryptWindow::stopped, this, &QWidget::close,
                Qt::UniqueConnection);
        event->ignore();
        return;
    }
    if (m_windows.secureDeleteWindow != nullptr && m_windows.secureDeleteWindow->stopForQuit()) {
        connect(m_windows.secureDeleteWindow, &SecureDeleteWindow::stopped, this, &QWidget::close,
                Qt::UniqueConnection);
        event->ignore();
        return;
    }
    m_probe.clear();
    if (m_startupFailed) {
        event->accept();
        return;
    }
    try {
        WidgetPrompter prompter(this);
        m_startup.saveSettings(prompter);
    } catch (const std::exception &) {
        MessageBox::show(this, Message::box(QStringLiteral("Velmora2"),
                                            QStringLiteral("Error saving INI file!"),
                                            MessageIcon::Warning));
    }
    // The checker of an earlier run may have left its file as well.
    const QString probeFile = m_startup.places().probeFile;
    if (!probeFile.isEmpty())
        QFile::remove(probeFile);
    event->accept();
    Q_EMIT programEnds();
}

// ---------------------------------------------------------------- tools

void DashboardWindow::encryptClicked()
{
    if (personalKeyThere())
        openEncryptWindow();
}

// The encrypt window needs the personal key; without one the user is told,
// and a settings file that ends before its key line is named.
bool DashboardWindow::personalKeyThere()
{
    if (!TextTrim::trimmed(m_startup.values().personalKey).isEmpty())
        return true;
    const Language language = m_startup.language();
    const DashboardTexts &t = textsFor(language);
    MessageBox::error(this,
                      m_startup.values().keyLineMissing
                          ? settingsWithoutKeyLineText(m_startup.places().settingsFile, language) +
                                QLatin1Char(' ') + QString::fromUtf8(t.restoreKey)
                          : QString::fromUtf8(t.noPersonalKey));
    return false;
}

// The encrypt window opens modeless: the dashboard stays usable.
void DashboardWindow::openEncryptWindow()
{
    EncryptWindow *window = m_windows.encryptWindow;
    if (window == nullptr)
        return;
    window->openWith(EncryptSession{TextTrim::trimmed(m_startup.values().personalKey),
                                    m_startup.language(), m_startup.textKey(),
                                    m_startup.places().dataFolder});
}

void DashboardWindow::secureDeleteClicked()
{
    openSecureDeleteWindow();
}

// The secure delete window opens modal.
void DashboardWindow::openSecureDeleteWindow()
{
    SecureDeleteWindow *window = m_windows.secureDeleteWindow;
    if (window == nullptr)
        return;
    window->open(SecureDeleteSession{m_startup.language(), {}});
}

// ---------------------------------------------------------------- requests of a start

namespace {

void comeForward(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

bool DashboardWindow::canShow(const ToolRequest &request) const
{
    if (!m_startupPassed || m_startupFailed)
        return false;
    const QWidget *modal = QApplication::activeModalWidget();
    switch (request.tool) {
    case ToolRequest::Tool::Dashboard:
        return true;
    case ToolRequest::Tool::Encrypt:
        return modal == nullptr &&
               (m_windows.encryptWindow == nullptr || !m_windows.encryptWindow->runActive());
    case ToolRequest::Tool::SecureDelete:
        return (modal == nullptr || modal == m_windows.secureDeleteWindow) &&
               (m_windows.secureDeleteWindow == nullptr ||
                !m_windows.secureDeleteWindow->isRunning());
    }
    return false;
}

void DashboardWindow::bringForward()
{
    comeForward(this);
    if (QWidget *modal = QApplication::activeModalWidget())
        comeForward(modal);
}

void DashboardWindow::showRequest(const ToolRequest &request)
{
    switch (request.tool) {
    case ToolRequest::Tool::Dashboard:
        bringForward();
        return;
    case ToolRequest::Tool::Encrypt: {
        comeForward(this);
        EncryptWindow *window = m_windows.encryptWindow;
        if (window == nullptr || !personalKeyThere())
            return;
        openEncryptWindow();
        comeForward(window);
        if (!request.files.isEmpty())
            window->listFiles(request.files);
        return;
    }
    case ToolRequest::Tool::SecureDelete: {
        comeForward(this);
        SecureDeleteWindow *window = m_windows.secureDeleteWindow;
        if (window == nullptr)
            return;
        openSecureDeleteWindow();
        comeForward(window);
        if (!request.files.isEmpty())
            window->listFiles(request.files);
        return;
    }
    }
}

void DashboardWindow::settingsClicked()
{
    SettingsWindow *window = m_windows.settingsWindow;
    if (window == nullptr)
        return;
    window->open(SettingsSession{m_startup.places().settingsFile, m_startup.textKey(),
                                 m_startup.language(), &m_startup.sharedValues()});
}

// A language chosen in the settings window takes effect at once.
void DashboardWindow::settingsWindowClosed()
{
    if (!m_startup.reloadSettings())
        GeneralErrorReport::show(m_startup.error());
    applyLanguage();
    applyLayout();
}

// ---------------------------------------------------------------- title bar

void DashboardWindow::titleBarPressed(const QMouseEvent &press)
{
    // The window manager's move follows the left button only: it would not
    // end on the release of another one.
    QWindow *window = windowHandle();
    if (press.button() == Qt::LeftButton && window != nullptr && window->startSystemMove())
        return;
    m_dragButton = press.button();
    m_dragOffset = press.globalPosition().toPoint() - frameGeometry().topLeft();
}

bool DashboardWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_titleBar)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (m_dragButton == Qt::NoButton)
            titleBarPressed(*static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseMove: {
        const auto *move = static_cast<QMouseEvent *>(event);
        if (m_dragButton == Qt::NoButton)
            break;
        if (!move->buttons().testFlag(m_dragButton)) {
            // The release went elsewhere: the drag is over.
            m_dragButton = Qt::NoButton;
            break;
        }
        this->move(move->globalPosition().toPoint() - m_dragOffset);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == m_dragButton)
            m_dragButton = Qt::NoButton;
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void DashboardWindow::minimiseClicked()
{
    showMinimized();
}

void DashboardWindow::iconClicked()
{
    m_menu->popup(menuPosition());
}

// ---------------------------------------------------------------- menu and banner

void DashboardWindow::updatesChosen()
{
    const QString site = QStringLiteral("https://") + AboutDialog::makerSite(m_startup.language());
    if (m_windows.aboutDialog != nullptr)
        m_windows.aboutDialog->openUrl(site);
    else
        DesktopServices::openUrl(QUrl(site));
}

void DashboardWindow::infoChosen()
{
    if (m_windows.aboutDialog != nullptr)
        m_windows.aboutDialog->showAbout(m_startup.language(), ProgramInfo::version(), this);
}

void DashboardWindow::bannerClicked()
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
                                        UpdateProbe::noticeText(m_startup.language()),
                                        MessageIcon::Information));
    updatesChosen();
}
