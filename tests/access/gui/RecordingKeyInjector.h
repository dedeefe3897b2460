#pragma once

#include "platform/keyboard/InProgramKeyInjector.h"

#include <QString>
#include <QWidget>

// Types the decoys into the target field like the in-program fallback and
// records what was sent and where it went.
class RecordingKeyInjector : public InProgramKeyInjector
{
public:
    struct Record
    {
        QString sent;
        bool allToTarget = true;    // every key went to the given target
        bool targetHadFocus = true; // ... and that target had the focus
    };

    explicit RecordingKeyInjector(Record &record)
        : m_record(record)
    {
    }

    void postKey(QChar character, QWidget *target) override
    {
        m_record.sent.append(character);
        if (target == nullptr)
            m_record.allToTarget = false;
        else if (target->window()->focusWidget() != target)
            m_record.targetHadFocus = false;
        InProgramKeyInjector::postKey(character, target);
    }

private:
    Record &m_record;
};
