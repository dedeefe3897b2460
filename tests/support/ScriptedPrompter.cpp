#include "ScriptedPrompter.h"

#include <QStringList>

MessageAnswer ScriptedPrompter::ask(const Message &message)
{
    messages.append(message);
    if (!pendingAnswers.isEmpty())
        return pendingAnswers.takeFirst();
    return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void ScriptedPrompter::queueAnswers(std::initializer_list<MessageAnswer> answers)
{
    for (const MessageAnswer answer : answers)
        pendingAnswers.append(answer);
}

QStringList ScriptedPrompter::texts() const
{
    QStringList result;
    for (const Message &message : messages)
        result.append(message.text);
    return result;
}
