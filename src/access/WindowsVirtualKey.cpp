#include "access/WindowsVirtualKey.h"

#include <Qt>

namespace {

// Punctuation of the US layout, unshifted and shifted, with the code of its key.
struct PunctuationKey
{
    char16_t plain;
    char16_t shifted;
    int code;
};

constexpr PunctuationKey punctuationKeys[] = {
    {u';', u':', 0xBA},  // VK_OEM_1
    {u'=', u'+', 0xBB},  // VK_OEM_PLUS
    {u',', u'<', 0xBC},  // VK_OEM_COMMA
    {u'-', u'_', 0xBD},  // VK_OEM_MINUS
    {u'.', u'>', 0xBE},  // VK_OEM_PERIOD
    {u'/', u'?', 0xBF},  // VK_OEM_2
    {u'`', u'~', 0xC0},  // VK_OEM_3
    {u'[', u'{', 0xDB},  // VK_OEM_4
    {u'\\', u'|', 0xDC}, // VK_OEM_5
    {u']', u'}', 0xDD},  // VK_OEM_6
    {u'\'', u'"', 0xDE}, // VK_OEM_7
};

// The digit row of the US layout with Shift held.
constexpr char16_t shiftedDigits[] = u")!@#$%^&*(";

struct NamedKey
{
    int qtKey;
    int code;
};

constexpr NamedKey namedKeys[] = {
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},
    {Qt::Key_AltGr, 0x12},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Help, 0x2F},
    {Qt::Key_Meta, 0x5B},
    {Qt::Key_Super_L, 0x5B},
    {Qt::Key_Super_R, 0x5C},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    // German letters on their keys of the German layout
    {Qt::Key_Udiaeresis, 0xBA},
    {Qt::Key_Odiaeresis, 0xC0},
    {Qt::Key_Adiaeresis, 0xDE},
    {Qt::Key_ssharp, 0xDB},
    {Qt::Key_section, 0x33},
    {Qt::Key_degree, 0xDC},
};

} // namespace

int WindowsVirtualKey::fromQtKey(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey; // Qt keeps letters upper case, like the virtual keys
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return F1 + (qtKey - Qt::Key_F1);
    for (int digit = 0; digit < 10; ++digit) {
        if (qtKey == shiftedDigits[digit])
            return u'0' + digit;
    }
    for (const PunctuationKey &key : punctuationKeys) {
        if (qtKey == key.plain || qtKey == key.shifted)
            return key.code;
    }
    for (const NamedKey &key : namedKeys) {
        if (qtKey == key.qtKey)
            return key.code;
    }
    return 0;
}
