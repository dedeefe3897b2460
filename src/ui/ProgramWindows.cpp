#include "ui/ProgramWindows.h"

#include "access/gui/UnitPassInfo.h"
#include "access/gui/UnitStart.h"
#include "access/gui/keymem.h"
#include "ui/Reabout.h"
#include "ui/UnitDashboard.h"
#include "ui/UnitFile.h"
#include "ui/UnitTool.h"
#include "ui/Unitsetting.h"

ProgramWindows::ProgramWindows()
    : m_main(std::make_unique<TFormMain>())
{
    QWidget *owner = m_main.get();
    FormSetting = new TFormSetting(owner);
    FormUtil = new TFormUtil(owner);
    FormDateien = new TFormDateien(owner);
    FormPassInfo = new TFormPassInfo(owner);
    FormPWD = new TFormPWD(owner);
    AboutBox = new TAboutBox(owner);
    FormKeyMem = new TFormKeyMem(owner);
    FormPWD->setKeyMemWindow(FormKeyMem);
    FormPWD->setPassInfoWindow(FormPassInfo);
    FormSetting->setPasswordPrompt(FormPWD);

    DashboardWindows windows;
    windows.FormSetting = FormSetting;
    windows.FormUtil = FormUtil;
    windows.FormDateien = FormDateien;
    windows.FormPWD = FormPWD;
    windows.AboutBox = AboutBox;
    m_main->setWindows(windows);
}

ProgramWindows::~ProgramWindows() = default;
