#include "engine/hotkey_names.h"

#include <iterator>

namespace vd {

namespace {

constexpr int kFirstLetter = 12;
constexpr int kFirstDigit = 38;

const char* const kModifierTexts[kHotModifierCount] = {"", "Alt", "Ctrl", "Shift"};

std::string KeyText(int keyIndex) {
  if (keyIndex < 0 || keyIndex >= kHotKeyCount) return "";
  if (keyIndex < kFirstLetter) return "F" + std::to_string(keyIndex + 1);
  // Letters and digits are named by the character of their key code.
  return std::string(1, static_cast<char>(HotKeyVirtualKey(keyIndex)));
}

}  // namespace

std::string HotKeyName(int modifierIndex, int keyIndex) {
  std::string name;
  if (modifierIndex > 0 && modifierIndex < kHotModifierCount) {
    name = kModifierTexts[modifierIndex];
    name += '+';
  }
  return name + KeyText(keyIndex);
}

unsigned HotKeyVirtualKey(int keyIndex) {
  if (keyIndex < 0 || keyIndex >= kHotKeyCount) return 0;
  if (keyIndex < kFirstLetter) return static_cast<unsigned>(keyIndex + 112);  // VK_F1 = 0x70
  if (keyIndex < kFirstDigit) return static_cast<unsigned>(keyIndex + 53);    // 'A' = 0x41
  return static_cast<unsigned>(keyIndex + 10);                                // '0' = 0x30
}

unsigned HotKeyModifierFlags(int modifierIndex) {
  if (modifierIndex < 1 || modifierIndex >= kHotModifierCount) return 0;
  return 1u << (modifierIndex - 1);  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4
}

std::vector<std::string> HotKeyKeyTexts() {
  std::vector<std::string> texts;
  for (int i = 0; i < kHotKeyCount; ++i) texts.push_back(KeyText(i));
  return texts;
}

std::vector<std::string> HotKeyModifierTexts() {
  return {std::begin(kModifierTexts), std::end(kModifierTexts)};
}

std::string HotKeyFlagsName(int flags, int keyIndex) {
  if (flags < 0 || flags >= kHotFlagsCount || keyIndex < 0 || keyIndex >= kHotKeyCount) return "";
  std::string name;
  // The order the system's own menus name them in.
  if (flags & 2) name += "Ctrl+";
  if (flags & 1) name += "Alt+";
  if (flags & 4) name += "Shift+";
  return name + KeyText(keyIndex);
}

std::vector<std::string> HotKeyFlagsTexts() {
  std::vector<std::string> texts;
  for (int f = 0; f < kHotFlagsCount; ++f) {
    std::string t = HotKeyFlagsName(f, 0);
    t.resize(t.size() - 2);  // without "F1", and without the last "+"
    if (!t.empty()) t.pop_back();
    texts.push_back(t);
  }
  return texts;
}

FlagsHotKey PreviousHotKey(int storedFlags, int storedKey, int changeModifierIndex, int changeKey) {
  if (storedFlags >= 0 && storedFlags < kHotFlagsCount && storedKey >= 0 && storedKey < kHotKeyCount)
    return {storedFlags, storedKey};
  const int shift = 4, ctrl = 2;
  const int change = static_cast<int>(HotKeyModifierFlags(changeModifierIndex));
  const int flags = (change & shift) ? (ctrl | shift) : (change | shift);
  return {flags, changeKey >= 0 && changeKey < kHotKeyCount ? changeKey : 6};
}

}  // namespace vd
