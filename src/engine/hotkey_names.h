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

// The "Previous Wallpaper" key may hold several modifiers at once: flags is
// a set of MOD_ALT 1, MOD_CONTROL 2 and MOD_SHIFT 4 (0..7).
constexpr int kHotFlagsCount = 8;

// "Ctrl+Shift+F7", "Alt+F7", "F7"; flags outside 0..7 or a key out of range name "".
std::string HotKeyFlagsName(int flags, int keyIndex);
// The entries of the settings dialog's list of modifier sets, index = flags.
std::vector<std::string> HotKeyFlagsTexts();

struct FlagsHotKey {
  int flags = 0;
  int key = 0;
  bool operator==(const FlagsHotKey&) const = default;
};

// The "Previous Wallpaper" key: the stored one when it names a key (flags
// 0..7, key 0..47); else the change key with Shift added, or with Ctrl and
// Shift when the change key has Shift already.
FlagsHotKey PreviousHotKey(int storedFlags, int storedKey, int changeModifierIndex, int changeKey);

}  // namespace vd
