#include "access/gui/StartupPasswordCheck.h"

#include "access/gui/UnitStart.h"

StartupCheckResult RunStartupPasswordCheck(TFormPWD &prompt, const QString &storedPassword,
                                           const QString &acceptedPassword, int language)
{
    // Placeholder until the prompt exists: every start is accepted.
    Q_UNUSED(prompt);
    Q_UNUSED(storedPassword);
    Q_UNUSED(acceptedPassword);
    Q_UNUSED(language);
    return StartupCheckResult::Accepted;
}
