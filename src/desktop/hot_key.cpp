#include "desktop/hot_key.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/app_state.h"
#include "engine/hotkey_names.h"
#include "engine/settings_dialog.h"
#include "forms/forms.h"

namespace {

constexpr int kHotKeyId = 0;
constexpr int kPreviousHotKeyId = 1;
constexpr UINT_PTR kSubclassId = 0x484B;  // "HK"

HotKeyHooks hooks;
bool hotKeyRegistered = false;
bool previousRegistered = false;
bool subclassed = false;

// A held key is one press. Where MOD_NOREPEAT is not honoured (Windows
// before 7, Wine) the key's auto-repeats arrive as presses too: a press is a
// repeat until the key taken last has been seen up. While it is down, a timer
// watches for it to come up, and counts it up once it has stayed up for a
// fifth of a second: a bounce, or a key state read back wrong for a moment
// (Wine's, for keys sent with SendInput, can read up between two repeats),
// then makes no press of the next repeat. A deliberate second press comes
// later than that after the first one's release.
constexpr UINT_PTR kKeyUpTimerId = 0x484B;
constexpr UINT kKeyUpPollMs = 25;
constexpr DWORD kReleasedAfterMs = 200;
UINT heldKey = 0;   // the virtual key of the press taken last, until it has come up
bool seenUp = false;
DWORD upSince = 0;  // tick count at which it was first seen up

void StopWatchingKey() {
  if (heldKey && hooks.window) ::KillTimer(hooks.window, kKeyUpTimerId);
  heldKey = 0;
}

void WatchKeyUp() {
  if (!heldKey) return;
  if (::GetAsyncKeyState(static_cast<int>(heldKey)) & 0x8000) {
    seenUp = false;
    return;
  }
  const DWORD now = ::GetTickCount();
  if (!seenUp) {
    seenUp = true;
    upSince = now;
  } else if (now - upSince >= kReleasedAfterMs) {
    StopWatchingKey();
  }
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

std::string PreviousName() {
  const vd::FlagsHotKey k = PreviousKeyChoice();
  return vd::HotKeyFlagsName(k.flags, k.key);
}

bool RegisterPrevious() {
  const vd::FlagsHotKey k = PreviousKeyChoice();
  // The same key as the change key would take its presses: it is not offered.
  const Choice c = StoredChoice();
  if (static_cast<unsigned>(k.flags) == vd::HotKeyModifierFlags(c.modifier) && k.key == c.key) return false;
  return ::RegisterHotKey(hooks.window, kPreviousHotKeyId, static_cast<UINT>(k.flags) | MOD_NOREPEAT,
                          vd::HotKeyVirtualKey(k.key)) != 0;
}

void SetPreviousCaption(bool withKey) {
  std::string caption = "&Previous Wallpaper";
  if (withKey) caption += "\t" + PreviousName();
  if (hooks.setPreviousCaption) hooks.setPreviousCaption(caption);
}

// The tray menu's "Change Wallpaper" entry names the key while one is registered.
void SetChangeCaption(bool withKey) {
  std::string caption = "Change &Wallpaper";
  if (withKey) caption += "\t" + StoredName();
  if (hooks.setChangeCaption) hooks.setChangeCaption(caption);
}

// True when the user wants to choose another key.
bool AskForAnotherKey(const std::string& name) {
  const std::string text = "Hotkey '" + name + "' could not be registered for Vexa Desktop\r\n\r\n" +
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
  if (msg == WM_TIMER && wParam == kKeyUpTimerId) {
    WatchKeyUp();
    return 0;
  }
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(h, &HotKeyWindowProc, kSubclassId);
  return ::DefSubclassProc(h, msg, wParam, lParam);
}

}  // namespace

void SetHotKeyHooks(HotKeyHooks h) { hooks = std::move(h); }

vd::FlagsHotKey PreviousKeyChoice() {
  const vd::Settings& s = app().settings;
  return vd::PreviousHotKey(s.previousHotFlags, s.previousHotCombi, vd::TextAsIndex(s.hotModifier), s.hotCombi);
}

bool ApplyPreviousHotKey() {
  if (previousRegistered) ::UnregisterHotKey(hooks.window, kPreviousHotKeyId);
  previousRegistered = RegisterPrevious();
  SetPreviousCaption(previousRegistered);
  return !previousRegistered && AskForAnotherKey(PreviousName());
}

void SetupHotKey(bool release) {
  HWND main = hooks.window;
  if (release) {
    if (hotKeyRegistered) ::UnregisterHotKey(main, kHotKeyId);
    if (previousRegistered) ::UnregisterHotKey(main, kPreviousHotKeyId);
    return;
  }
  hotKeyRegistered = Register();
  previousRegistered = RegisterPrevious();
  if (!subclassed && main) subclassed = ::SetWindowSubclass(main, &HotKeyWindowProc, kSubclassId, 0) != FALSE;
  SetChangeCaption(hotKeyRegistered);
  SetPreviousCaption(previousRegistered);
  if (!hotKeyRegistered && AskForAnotherKey(StoredName())) return;
  if (!previousRegistered) AskForAnotherKey(PreviousName());
}

bool ApplyHotKey() {
  HWND main = hooks.window;
  if (hotKeyRegistered) ::UnregisterHotKey(main, kHotKeyId);
  if (previousRegistered) ::UnregisterHotKey(main, kPreviousHotKeyId);
  previousRegistered = false;
  hotKeyRegistered = Register();
  if (hotKeyRegistered) {
    SetChangeCaption(true);
    HWND owner = hooks.questionOwner ? hooks.questionOwner() : nullptr;
    forms::MsgBox("Hotkey '" + StoredName() + "' successfully registered for Vexa Desktop", MB_OK | MB_ICONINFORMATION,
                  "Success!", owner);
    return ApplyPreviousHotKey();
  }
  SetChangeCaption(false);
  previousRegistered = RegisterPrevious();
  SetPreviousCaption(previousRegistered);
  return AskForAnotherKey(StoredName());
}

void OnHotKey(int id) {
  const bool previous = id == kPreviousHotKeyId;
  const UINT vk = vd::HotKeyVirtualKey(previous ? PreviousKeyChoice().key : StoredChoice().key);
  if (heldKey == vk) return;  // not up since the press taken last: a repeat
  StopWatchingKey();
  seenUp = false;
  if (hooks.window && ::SetTimer(hooks.window, kKeyUpTimerId, kKeyUpPollMs, nullptr)) heldKey = vk;
  const auto& press = previous ? hooks.previousPressed : hooks.pressed;
  if (press) press();
}
