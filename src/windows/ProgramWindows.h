#pragma once

#include <memory>

class AboutDialog;
class SecureDeleteWindow;
class DecoyLogWindow;
class DashboardWindow;
class ResetConfirmDialog;
class PasswordPrompt;
class SettingsWindow;
class EncryptWindow;

// Every window of the program, created once and hidden, in the program's
// order: the dashboard (the main window, which owns the others), settings,
// encrypt/decrypt, secure delete, reset confirmation, password prompt, about
// box, keystroke log. They live until the program ends; closing one hides it.
class ProgramWindows
{
public:
    ProgramWindows();
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows &) = delete;
    ProgramWindows &operator=(const ProgramWindows &) = delete;

    DashboardWindow &dashboard() const { return *m_main; }
    SettingsWindow &settingsWindow() const { return *m_settingsWindow; }
    EncryptWindow &encryptWindow() const { return *m_encryptWindow; }
    SecureDeleteWindow &secureDeleteWindow() const { return *m_secureDeleteWindow; }
    ResetConfirmDialog &resetConfirmDialog() const { return *m_resetConfirmDialog; }
    PasswordPrompt &passwordPrompt() const { return *m_passwordPrompt; }
    AboutDialog &aboutDialog() const { return *m_aboutDialog; }
    DecoyLogWindow &decoyLogWindow() const { return *m_decoyLogWindow; }

private:
    std::unique_ptr<DashboardWindow> m_main;
    SettingsWindow *m_settingsWindow = nullptr;
    EncryptWindow *m_encryptWindow = nullptr;
    SecureDeleteWindow *m_secureDeleteWindow = nullptr;
    ResetConfirmDialog *m_resetConfirmDialog = nullptr;
    PasswordPrompt *m_passwordPrompt = nullptr;
    AboutDialog *m_aboutDialog = nullptr;
    DecoyLogWindow *m_decoyLogWindow = nullptr;
};
