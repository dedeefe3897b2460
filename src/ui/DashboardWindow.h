#pragma once

#include "access/gui/StartupPasswordCheck.h"
#include "settings/DashboardSettings.h"
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
class RoundedPanel;
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
    AboutDialog *AboutBox = nullptr;
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
    explicit DashboardWindow(QWidget *parent = nullptr);
    ~DashboardWindow() override;

    void setWindows(const DashboardWindows &windows);

    // User-interface language: 0 German, other English; only a value above 0
    // gives the English layout.
    qint32 Language = 1;
    QString DatenPfad; // data folder, trailing delimiter
    QString ProgPath;  // program folder, trailing delimiter

    // Process-wide values held by the dashboard.
    DashboardSettings values;  // stored password, personal key, carried value, language
    QString IniPath;           // DatenPfad + "velmora.ini"
    QString ProgramFileName;
    QString ProgramDrive;      // first two characters of ProgPath
    UpdateProbe Probe;         // probe file path, checker path, tick counter, TimerUpdate

    // The check of step 11; tests put their own in its place.
    std::function<StartupCheckResult(PasswordPrompt &, const QString &, const QString &, int)>
        StartupCheck = RunStartupPasswordCheck;

    // Controls.
    QWidget *Panel1 = nullptr;
    QLabel *Label1 = nullptr;
    TitleBarPanel *PanelImage = nullptr;
    QLabel *Image1 = nullptr;
    TitleBarPanel *PanelMini = nullptr;
    TitleBarPanel *PanelClose = nullptr;
    GradientWidget *Body = nullptr;
    FlatButton *SpeedButton1 = nullptr;
    FlatButton *SpeedButton2 = nullptr;
    FlatButton *SpeedButton3 = nullptr;
    LinkLabel *Banner = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Updates1 = nullptr;
    QAction *ber1 = nullptr;
    QAction *Beenden1 = nullptr;

    // Operations.
    // Returns false when the settings file exists but could not be read; the
    // reason has then been reported.
    bool LoadSettings();
    bool SaveSettings();
    void ApplyLanguage();
    static QString SystemLanguageName();
    static QString ProgramVersion();
    void StartUpdateProbe();

    // Handlers.
    void FormShow();
    void FormActivate();
    void SpeedButton1Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Panel1MouseDown(const QPoint &globalPress);
    void PanelCloseClick();
    void PanelMiniClick();
    void Image1Click();
    void Updates1Click();
    void ber1Click();
    void Beenden1Click();
    void BannerClick();

    // True once the start-up sequence has ended the program (password not
    // given): nothing more is shown and nothing is saved.
    bool startupFailed() const { return m_startupFailed; }
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
    bool runStartupSequence();
    void showUpdateNotice();

    DashboardWindows m_windows;
    bool m_shownOnce = false;
    bool m_startupFailed = false;
    bool m_settingsUsable = false; // the settings file was read (or absent) at the last load
    bool m_dragging = false;
    QPoint m_dragOffset;
};
