#pragma once

#include <QString>

class TFormPWD;

// The check of the application password when the program starts.
enum class StartupCheckResult {
    Accepted, // the password was typed correctly, or had been accepted before in this run
    Reset,    // the user confirmed a password reset: go on without password for this run
    Failed    // the prompt closed without a correct entry: the program must end with code 1
};

StartupCheckResult RunStartupPasswordCheck(TFormPWD &prompt, const QString &storedPassword,
                                           const QString &acceptedPassword, int language);
