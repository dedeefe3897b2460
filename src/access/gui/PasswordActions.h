#pragma once

#include "core/Language.h"

#include <QString>

#include <functional>

class QWidget;
class PasswordPrompt;

// The settings window's two password actions. Both work on the accepted
// password (the settings window's copy of line 0) and end with the window's
// save action, which stores it; they return true when they ran it.
namespace PasswordActions {

// "Neues Passwort anlegen": the prompt asks for a new password; an empty
// entry changes nothing; "Einstellungen jetzt speichern?" answered Yes stores
// the digest of the trimmed text.
bool SetPassword(QWidget *window, PasswordPrompt &prompt, Language language,
                 QString &acceptedPassword, const std::function<void()> &save);

// "Passwort löschen": asked in a box captioned "Velmora2"; Yes empties the
// accepted password. The old password is not asked for.
bool RemovePassword(QWidget *window, Language language, QString &acceptedPassword,
                    const std::function<void()> &save);

} // namespace PasswordActions
