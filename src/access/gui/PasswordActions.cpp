#include "access/gui/PasswordActions.h"

#include "access/PasswordCheck.h"
#include "access/gui/PasswordPrompt.h"
#include "core/TextTrim.h"
#include "widgets/MessageBox.h"

bool PasswordActions::SetPassword(QWidget *window, PasswordPrompt &prompt, Language language,
                                  QString &acceptedPassword, const std::function<void()> &save)
{
    const QString typed = TextTrim::trimmed(prompt.askNewPassword(language));
    if (typed.isEmpty())
        return false;
    const QString question = language == Language::German
                                 ? QStringLiteral("Einstellungen jetzt speichern?")
                                 : QStringLiteral("Save settings now?");
    if (MessageBox::confirm(window, question) != MessageAnswer::Yes)
        return false;

    acceptedPassword = PasswordCheck::storedForm(typed);
    if (save)
        save();
    return true;
}

bool PasswordActions::RemovePassword(QWidget *window, Language language, QString &acceptedPassword,
                                     const std::function<void()> &save)
{
    const QString question = language == Language::German
                                 ? QStringLiteral("Passwort wirklich löschen?")
                                 : QStringLiteral("Delete password?");
    const MessageAnswer answer =
        MessageBox::show(window, Message::box(QStringLiteral("Velmora2"), question,
                                              MessageIcon::Question, MessageButtons::YesNo)
                                     .asDestructive());
    if (answer != MessageAnswer::Yes)
        return false;

    acceptedPassword.clear();
    if (save)
        save();
    return true;
}
