#include "core/Prompter.h"

Message Message::box(const QString &caption, const QString &text, MessageIcon icon,
                     MessageButtons buttons)
{
    return Message{MessageStyle::Box, caption, text, icon, buttons, false};
}

Message Message::dialog(MessageIcon kind, const QString &text, MessageButtons buttons)
{
    return Message{MessageStyle::Dialog, dialogTitle(kind), text, kind, buttons, false};
}

QString Message::dialogTitle(MessageIcon kind)
{
    switch (kind) {
    case MessageIcon::Warning:
        return QStringLiteral("Warnung");
    case MessageIcon::Error:
        return QStringLiteral("Fehler");
    case MessageIcon::Information:
        return QStringLiteral("Informationen");
    case MessageIcon::Question:
        return QStringLiteral("Bestätigen");
    case MessageIcon::None:
        break;
    }
    return QString();
}

Message Message::asDestructive() const
{
    Message question = *this;
    question.destructive = true;
    return question;
}
