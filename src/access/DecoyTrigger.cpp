#include "access/DecoyTrigger.h"

namespace {

bool isModifierKey(int virtualKey)
{
    switch (virtualKey) {
    case 0x10:
    case 0x11:
    case 0x12: // Shift, Ctrl, Alt
    case 0x5B:
    case 0x5C: // left and right Windows key
    case 0xA0:
    case 0xA1:
    case 0xA2:
    case 0xA3:
    case 0xA4:
    case 0xA5: // left/right variants
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<QChar> DecoyTrigger::keyReleased(bool protectionOn, int virtualKey, bool ctrl,
                                               bool shift)
{
    if (!protectionOn || isModifierKey(virtualKey))
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
