#pragma once

#include "access/gui/StartupPasswordCheck.h"
#include "core/Language.h"
#include "startup/CommandLine.h"
#include "startup/StartupSequence.h"
#include "update/UpdateProbe.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>

class FlatButton;
class GradientWidget;
class LinkLabel;
class QAction;
class QLabel;
class QMenu;
class AboutDialog;
class SecureDeleteWindow;
class PasswordPrompt;
class SettingsWindow;
class EncryptWindow;
class TitleBarPanel;

// The windows the dashboard opens; they live as long as the dashboard.
struct DashboardWindows
{
    SettingsWindow *settingsWindow = nullptr;
    EncryptWindow *encryptWindow = nullptr;
    SecureDeleteWindow *secureDeleteWindow = nullptr;
    PasswordPrompt *passwordPrompt = nullptr;
    AboutDialog *aboutDialog = nullptr;
};

// The main window: a borderless window with a drawn title bar and a rounded
// shape, three buttons for the tools and a small menu behind the title-bar
// icon. When it is first shown it runs the start-up sequence (folders,
// settings, personal key, password, update look); closing it saves the
// settings and ends the program.
class DashboardWindow : public QWidget
{
    Q_OBJECT

public:
    // How the stored password is asked for at start-up; the prompt unless
    // replaced.
    using PasswordCheck =
        std::function<StartupCheckResult(PasswordPrompt &, const QString &stored, Language)>;

    explicit DashboardWindow(QWidget *parent = nullptr);
    ~DashboardWindow() override;

    void setWindows(const DashboardWindows &windows);
    void setPasswordCheck(PasswordCheck check);

    Language language() const { return m_startup.language(); }
    // The places and values of the run, as the start-up sequence found them.
    const StartupSequence &startup() const { return m_startup; }
    UpdateProbe &updateProbe() { return m_probe; }

    // True once the start-up sequence has ended the program (password not
    // given): nothing more is shown and nothing is saved.
    bool startupFailed() const { return m_startupFailed; }
    // True once the start-up sequence is over and the program goes on (the
    // password given, or none set).
    bool startupPassed() const { return m_startupPassed; }

    // What a start of the program asked for (its own arguments, or a later
    // start's). It can be shown once the start-up has passed, and, for a tool
    // window, while no modal window or message is in the way (the secure
    // delete window itself aside) and the window asked for has no run going.
    bool canShow(const ToolRequest &request) const;
    // Brings the dashboard forward, restored if minimised; for a tool window
    // it then does what the tool's button does (the encrypt window needs the
    // personal key) and lists the files there.
    void showRequest(const ToolRequest &request);
    // The dashboard forward, and in front of it the modal window that has
    // the input, if one has.
    void bringForward();

    // Where the icon menu opens: window left + 10, window top + 40.
    QPoint menuPosition() const;

    static constexpr int GermanHeight = 305;
    static constexpr int EnglishHeight = 245;

Q_SIGNALS:
    // The password was not given at start-up: the program must end with
    // exit code 1 at once.
    void startupRejected();
    // The dashboard has closed (settings saved): the program ends.
    void programEnds();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void runStartupSequence();
    bool askForPassword();
    void applyLanguage();
    void applyLayout();
    void startUpdateProbe();
    void showUpdateNotice();
    void settingsWindowClosed();
    bool personalKeyThere();
    void openEncryptWindow();
    void openSecureDeleteWindow();
    void titleBarPressed(const QMouseEvent &press);

    // Handlers.
    void encryptClicked();
    void secureDeleteClicked();
    void settingsClicked();
    void iconClicked();
    void minimiseClicked();
    void updatesChosen();
    void infoChosen();
    void bannerClicked();

    StartupSequence m_startup;
    UpdateProbe m_probe;
    PasswordCheck m_passwordCheck;
    DashboardWindows m_windows;
    bool m_shownOnce = false;
    bool m_startupFailed = false;
    bool m_startupPassed = false;
    // A drag with a button the window manager does not move windows with:
    // the window follows the pointer itself until that button is let go.
    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_dragOffset;

    QWidget *m_titleBar = nullptr;
    QLabel *m_title = nullptr;
    TitleBarPanel *m_iconPanel = nullptr;
    TitleBarPanel *m_minimisePanel = nullptr;
    TitleBarPanel *m_closePanel = nullptr;
    GradientWidget *m_body = nullptr;
    FlatButton *m_encryptButton = nullptr;
    FlatButton *m_secureDeleteButton = nullptr;
    FlatButton *m_settingsButton = nullptr;
    LinkLabel *m_banner = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_updatesEntry = nullptr;
    QAction *m_infoEntry = nullptr;
    QAction *m_quitEntry = nullptr;
};
