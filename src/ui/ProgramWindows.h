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
    SettingsWindow *settingsWindow = nullptr;
    EncryptWindow *encryptWindow = nullptr;
    SecureDeleteWindow *secureDeleteWindow = nullptr;
    ResetConfirmDialog *resetConfirmDialog = nullptr;
    PasswordPrompt *passwordPrompt = nullptr;
    AboutDialog *AboutBox = nullptr;
    DecoyLogWindow *decoyLogWindow = nullptr;

private:
    std::unique_ptr<DashboardWindow> m_main;
};
