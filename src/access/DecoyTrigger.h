#pragma once

#include <QChar>

#include <optional>

// Decides, key by key, when the password field's decoys are due. A key press
// that types a character arms it; the next key release fires it, unless Ctrl
// is held or the released key's virtual-key code is below 14 (Backspace, Tab,
// Enter, ...). Firing yields the character that a keystroke recorder logs for
// the released key: the character whose code is the virtual-key code, upper
// case with Shift held and lower case without. Releasing a modifier key
// (Shift, Ctrl, Alt, the Windows keys) neither fires nor disarms it: with
// Shift let go before the letter, the letter's release still counts.
class DecoyTrigger
{
public:
    // The password field received a character.
    void characterTyped() { m_armed = true; }

    // A key was released in the password field. With the protection off
    // nothing changes. Returns the character to log when decoys must follow.
    std::optional<QChar> keyReleased(bool protectionOn, int virtualKey, bool ctrl, bool shift);

    bool armed() const { return m_armed; }

private:
    bool m_armed = false;
};
