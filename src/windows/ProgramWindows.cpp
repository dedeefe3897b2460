#include "windows/ProgramWindows.h"

#include "access/gui/DecoyLogWindow.h"
#include "access/gui/PasswordPrompt.h"
#include "access/gui/ResetConfirmDialog.h"
#include "windows/AboutDialog.h"
#include "windows/DashboardWindow.h"
#include "windows/EncryptWindow.h"
#include "windows/SecureDeleteWindow.h"
#include "windows/SettingsWindow.h"

ProgramWindows::ProgramWindows()
    : m_main(std::make_unique<DashboardWindow>())
{
    QWidget *owner = m_main.get();
    m_settingsWindow = new SettingsWindow(owner);
    m_encryptWindow = new EncryptWindow(owner);
    m_secureDeleteWindow = new SecureDeleteWindow(owner);
    m_resetConfirmDialog = new ResetConfirmDialog(owner);
    m_passwordPrompt = new PasswordPrompt(owner);
    m_aboutDialog = new AboutDialog(owner);
    m_decoyLogWindow = new DecoyLogWindow(owner);
    m_passwordPrompt->setDecoyLogWindow(m_decoyLogWindow);
    m_passwordPrompt->setResetConfirmDialog(m_resetConfirmDialog);
    m_settingsWindow->setPasswordPrompt(m_passwordPrompt);

    DashboardWindows windows;
    windows.settingsWindow = m_settingsWindow;
    windows.encryptWindow = m_encryptWindow;
    windows.secureDeleteWindow = m_secureDeleteWindow;
    windows.passwordPrompt = m_passwordPrompt;
    windows.aboutDialog = m_aboutDialog;
    m_main->setWindows(windows);
}

ProgramWindows::~ProgramWindows() = default;
