#include "desktop/hot_key.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/app_state.h"
#include "engine/hotkey_names.h"
#include "engine/settings_dialog.h"
#include "forms/forms.h"

namespace {

constexpr int kHotKeyId = 0;
constexpr UINT_PTR kSubclassId = 0x484B;  // "HK"

HotKeyHooks hooks;
bool hotKeyRegistered = false;
bool subclassed = false;

// Presses that follow one another closer than a held key's auto-repeat are
// one press: the repeats of a held key where MOD_NOREPEAT is not honoured
// (Windows before 7, Wine), and a hasty double press.
bool pressedBefore = false;
DWORD lastPressAt = 0;  // message time of the last press, taken or not

// The longest gap between a held key's repeats: the keyboard's delay before
// the first repeat (250-1000 ms), or its slowest repeat period (400 ms).
DWORD RepeatGapMs() {
  int delay = 1;
  ::SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  const DWORD first = static_cast<DWORD>(std::clamp(delay, 0, 3) + 1) * 250;
  return std::max<DWORD>(first, 400) + 100;
}

struct Choice {
  int modifier;
  int key;
};

Choice StoredChoice() {
  const vd::Settings& s = app().settings;
  return {vd::TextAsIndex(s.hotModifier), s.hotCombi};
}

std::string StoredName() {
  Choice c = StoredChoice();
  return vd::HotKeyName(c.modifier, c.key);
}

// A stored index outside the lists' range names no key: it is not offered to
// the system at all, and counts as a key that cannot be registered.
bool Register() {
  Choice c = StoredChoice();
  if (!vd::HotKeyChoiceValid(c.modifier, c.key)) return false;
  // A held key is one press, not a change per auto-repeat.
  return ::RegisterHotKey(hooks.window, kHotKeyId, vd::HotKeyModifierFlags(c.modifier) | MOD_NOREPEAT,
                          vd::HotKeyVirtualKey(c.key)) != 0;
}

// The tray menu's "Change Wallpaper" entry names the key while one is registered.
void SetChangeCaption(bool withKey) {
  std::string caption = "Change &Wallpaper";
  if (withKey) caption += "\t" + StoredName();
  if (hooks.setChangeCaption) hooks.setChangeCaption(caption);
}

// True when the user wants to choose another key.
bool AskForAnotherKey() {
  const std::string text = "Hotkey '" + StoredName() + "' could not be registered for Vexa Desktop\r\n\r\n" +
                           "Do you want to select another key?";
  // Asked from the open dialog's Apply, the dialog owns the question.
  HWND owner = hooks.questionOwner ? hooks.questionOwner() : nullptr;
  if (forms::MsgBox(text, MB_YESNO | MB_ICONSTOP, "Error", owner) != IDYES) return false;
  if (hooks.showSettings) hooks.showSettings();
  return true;
}

LRESULT CALLBACK HotKeyWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept {
  if (msg == WM_HOTKEY) {
    try {
      OnHotKey(static_cast<int>(wParam));
    } catch (...) {
      // The change is abandoned; the key keeps working.
    }
    return 1;
  }
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(h, &HotKeyWindowProc, kSubclassId);
  return ::DefSubclassProc(h, msg, wParam, lParam);
}

}  // namespace

void SetHotKeyHooks(HotKeyHooks h) { hooks = std::move(h); }

void SetupHotKey(bool release) {
  HWND main = hooks.window;
  if (release) {
    if (hotKeyRegistered) ::UnregisterHotKey(main, kHotKeyId);
    return;
  }
  hotKeyRegistered = Register();
  if (!subclassed && main) subclassed = ::SetWindowSubclass(main, &HotKeyWindowProc, kSubclassId, 0) != FALSE;
  SetChangeCaption(hotKeyRegistered);
  if (!hotKeyRegistered) AskForAnotherKey();
}

bool ApplyHotKey() {
  HWND main = hooks.window;
  if (hotKeyRegistered) ::UnregisterHotKey(main, kHotKeyId);
  hotKeyRegistered = Register();
  if (hotKeyRegistered) {
    SetChangeCaption(true);
    HWND owner = hooks.questionOwner ? hooks.questionOwner() : nullptr;
    forms::MsgBox("Hotkey '" + StoredName() + "' successfully registered for Vexa Desktop", MB_OK | MB_ICONINFORMATION,
                  "Success!", owner);
    return false;
  }
  SetChangeCaption(false);
  return AskForAnotherKey();
}

void OnHotKey(int /*id*/) {
  const DWORD at = static_cast<DWORD>(::GetMessageTime());
  const bool repeat = pressedBefore && at - lastPressAt < RepeatGapMs();
  pressedBefore = true;
  lastPressAt = at;
  if (!repeat && hooks.pressed) hooks.pressed();
}
