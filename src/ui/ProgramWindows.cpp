#include "ui/ProgramWindows.h"

#include "access/gui/ResetConfirmDialog.h"
#include "access/gui/PasswordPrompt.h"
#include "access/gui/DecoyLogWindow.h"
#include "ui/AboutDialog.h"
#include "ui/DashboardWindow.h"
#include "ui/SecureDeleteWindow.h"
#include "ui/EncryptWindow.h"
#include "ui/SettingsWindow.h"

ProgramWindows::ProgramWindows()
    : m_main(std::make_unique<DashboardWindow>())
{
    QWidget *owner = m_main.get();
    settingsWindow = new SettingsWindow(owner);
    encryptWindow = new EncryptWindow(owner);
    secureDeleteWindow = new SecureDeleteWindow(owner);
    resetConfirmDialog = new ResetConfirmDialog(owner);
    passwordPrompt = new PasswordPrompt(owner);
    AboutBox = new AboutDialog(owner);
    decoyLogWindow = new DecoyLogWindow(owner);
    passwordPrompt->setKeyMemWindow(decoyLogWindow);
    passwordPrompt->setPassInfoWindow(resetConfirmDialog);
    settingsWindow->setPasswordPrompt(passwordPrompt);

    DashboardWindows windows;
    windows.settingsWindow = settingsWindow;
    windows.encryptWindow = encryptWindow;
    windows.secureDeleteWindow = secureDeleteWindow;
    windows.passwordPrompt = passwordPrompt;
    windows.AboutBox = AboutBox;
    m_main->setWindows(windows);
}

ProgramWindows::~ProgramWindows() = default;
