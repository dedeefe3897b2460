#pragma once

#include <memory>

class TAboutBox;
class TFormDateien;
class TFormKeyMem;
class TFormMain;
class TFormPassInfo;
class TFormPWD;
class TFormSetting;
class TFormUtil;

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

    TFormMain &FormMain() const { return *m_main; }
    TFormSetting *FormSetting = nullptr;
    TFormUtil *FormUtil = nullptr;
    TFormDateien *FormDateien = nullptr;
    TFormPassInfo *FormPassInfo = nullptr;
    TFormPWD *FormPWD = nullptr;
    TAboutBox *AboutBox = nullptr;
    TFormKeyMem *FormKeyMem = nullptr;

private:
    std::unique_ptr<TFormMain> m_main;
};
