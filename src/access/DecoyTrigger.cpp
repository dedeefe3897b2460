#include "access/DecoyTrigger.h"

std::optional<QChar> DecoyTrigger::keyReleased(bool protectionOn, int virtualKey, bool ctrl,
                                               bool shift)
{
    if (!protectionOn)
        return std::nullopt;
    if (ctrl || virtualKey < 14)
        m_armed = false;

    std::optional<QChar> logged;
    if (m_armed) {
        const QChar key(char16_t(virtualKey & 0xFFFF));
        logged = shift ? key.toUpper() : key.toLower();
    }
    m_armed = false;
    return logged;
}
