// Names and key codes of the hot-key choice: a modifier index 0..3 (none,
// Alt, Ctrl, Shift) and a key index 0..47 (F1..F12, A..Z, 0..9).
#pragma once

#include <string>
#include <vector>

namespace vd {

constexpr int kHotModifierCount = 4;
constexpr int kHotKeyCount = 48;

// "Ctrl+F7", "Alt+Q", "F7". An index out of range contributes nothing.
std::string HotKeyName(int modifierIndex, int keyIndex);

// The virtual-key code for a key index; 0 when out of range.
unsigned HotKeyVirtualKey(int keyIndex);

// MOD_ALT, MOD_CONTROL or MOD_SHIFT for a modifier index; 0 for none or out of range.
unsigned HotKeyModifierFlags(int modifierIndex);

// The entries of the settings dialog's two lists, index for index.
std::vector<std::string> HotKeyKeyTexts();
std::vector<std::string> HotKeyModifierTexts();

}  // namespace vd
