#include "access/gui/StartupPasswordCheck.h"

#include "access/gui/PasswordPrompt.h"

StartupCheckResult askStartupPassword(PasswordPrompt &prompt, const QString &storedPassword,
                                      Language language)
{
    const PasswordPrompt::Answer answer = prompt.askPassword(storedPassword, language);
    if (!answer.password.isEmpty() && answer.password == storedPassword)
        return StartupCheckResult::Accepted;
    if (answer.reset)
        return StartupCheckResult::Reset;
    return StartupCheckResult::Failed;
}
