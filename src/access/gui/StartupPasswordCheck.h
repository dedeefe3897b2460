#pragma once

#include "core/Language.h"

#include <QString>

class PasswordPrompt;

// The check of the application password when the program starts.
enum class StartupCheckResult {
    Accepted, // the password was typed correctly
    Reset,    // the user confirmed a password reset: go on without password for this run
    Failed    // the prompt closed without a correct entry: the program must end with code 1
};

// Asks for the stored password through the prompt. On Accepted the caller
// makes the stored password the accepted one; on Reset it goes on with an
// empty stored password for the run, the settings file keeping its digest; on
// Failed it ends the program with exit code 1 without saving anything.
StartupCheckResult askStartupPassword(PasswordPrompt &prompt, const QString &storedPassword,
                                      Language language);
