#include "access/gui/StartupPasswordCheck.h"

#include "access/gui/PasswordPrompt.h"
#include "platform/TextTrim.h"

StartupCheckResult RunStartupPasswordCheck(PasswordPrompt &prompt, const QString &storedPassword,
                                           const QString &acceptedPassword, int language)
{
    if (TextTrim::trimmed(storedPassword).isEmpty())
        return StartupCheckResult::Accepted;
    if (storedPassword == acceptedPassword)
        return StartupCheckResult::Accepted;

    prompt.NurTest = false;
    prompt.CheckPass = storedPassword;
    prompt.Lang = language;
    prompt.exec();

    if (prompt.PWD == storedPassword)
        return StartupCheckResult::Accepted;
    if (prompt.PassReset)
        return StartupCheckResult::Reset;
    return StartupCheckResult::Failed;
}
