#pragma once

#include "core/Prompter.h"

#include <QList>

// A Prompter for tests: records every message and answers from a queue.
// With the queue empty it answers Ok to an OK box, Yes to a Yes/No question
// and Ok to an OK/Cancel question.
class ScriptedPrompter : public Prompter
{
public:
    MessageAnswer ask(const Message &message) override;

    void queueAnswers(std::initializer_list<MessageAnswer> answers);

    QList<Message> messages;
    QList<MessageAnswer> pendingAnswers;

    QStringList texts() const;
};
