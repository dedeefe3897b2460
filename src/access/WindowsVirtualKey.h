#pragma once

// The Windows virtual-key code of a key, on every platform, so that the decoy
// log reads the same everywhere: letters and digits are their upper-case ASCII
// codes (A = 65, 1 = 49), Backspace 8, Tab 9, Enter 13, Shift 16, Ctrl 17,
// Alt 18, Escape 27, Space 32, F1 112 and so on. Punctuation keys get the
// codes of the US layout (VK_OEM_1 ... VK_OEM_7), and a symbol typed with
// Shift on that layout ("!", "_", "{") counts as its key ("1", "-", "[").
namespace WindowsVirtualKey {

constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Menu = 0x12;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int F1 = 0x70;

// The code of a Qt key (Qt::Key); 0 when the key has none.
int fromQtKey(int qtKey);

} // namespace WindowsVirtualKey
