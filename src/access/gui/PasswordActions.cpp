#include "access/gui/PasswordActions.h"

#include "access/PasswordCheck.h"
#include "access/gui/PasswordPrompt.h"
#include "platform/TextTrim.h"
#include "ui/FlatButton.h"
#include "ui/MessageBox.h"

bool PasswordActions::SetPassword(QWidget *window, PasswordPrompt &prompt, int language,
                                  QString &acceptedPassword, const std::function<void()> &save)
{
    prompt.NurTest = true;
    prompt.Lang = language;
    const bool linkWasShown = !prompt.SpeedButton2->isHidden();
    prompt.SpeedButton2->hide();
    prompt.exec();
    prompt.SpeedButton2->setVisible(linkWasShown); // the start-up check offers the reset again

    const QString typed = TextTrim::trimmed(prompt.PWD);
    prompt.PWD.clear();
    if (typed.isEmpty())
        return false;
    const QString question = language == 0 ? QStringLiteral("Einstellungen jetzt speichern?")
                                           : QStringLiteral("Save settings now?");
    if (MessageBox::confirm(window, question) != MessageAnswer::Yes)
        return false;

    acceptedPassword = PasswordCheck::storedForm(typed);
    if (save)
        save();
    return true;
}

bool PasswordActions::RemovePassword(QWidget *window, int language, QString &acceptedPassword,
                                     const std::function<void()> &save)
{
    const QString question = language == 0 ? QStringLiteral("Passwort wirklich löschen?")
                                            : QStringLiteral("Delete password?");
    const MessageAnswer answer = MessageBox::show(
        window, Message::box(QStringLiteral("Velmora2"), question, MessageIcon::Question,
                             MessageButtons::YesNo));
    if (answer != MessageAnswer::Yes)
        return false;

    acceptedPassword.clear();
    if (save)
        save();
    return true;
}
