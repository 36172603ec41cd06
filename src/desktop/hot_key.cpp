#include "desktop/hot_key.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/app_state.h"
#include "base/required.h"
#include "engine/hotkey_names.h"
#include "engine/settings_dialog.h"
#include "forms/forms.h"

namespace {

constexpr int kHotKeyId = 0;
constexpr UINT_PTR kSubclassId = 0x484B;  // "HK"

// The key's state lives here, with the hooks: the main window's subclass
// procedure and its key-up timer reach them without a context pointer.
HotKeyHooks hooks;
bool hooksBound = false;

const HotKeyHooks& Hooks() { return base::Required(hooksBound ? &hooks : nullptr, "the hot key's hooks"); }
bool hotKeyRegistered = false;
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
  if (heldKey) ::KillTimer(Hooks().window, kKeyUpTimerId);
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
  return ::RegisterHotKey(Hooks().window, kHotKeyId, vd::HotKeyModifierFlags(c.modifier) | MOD_NOREPEAT,
                          vd::HotKeyVirtualKey(c.key)) != 0;
}

// The tray menu's "Change Wallpaper" entry names the key while one is registered.
void SetChangeCaption(bool withKey) {
  std::string caption = "Change &Wallpaper";
  if (withKey) caption += "\t" + StoredName();
  Hooks().setChangeCaption(caption);
}

// True when the user wants to choose another key.
bool AskForAnotherKey() {
  const std::string text = "Hotkey '" + StoredName() + "' could not be registered for Vexa Desktop\r\n\r\n" +
                           "Do you want to select another key?";
  // Asked from the open dialog's Apply, the dialog owns the question.
  HWND owner = Hooks().questionOwner();
  if (forms::MsgBox(text, MB_YESNO | MB_ICONSTOP, "Error", owner) != IDYES) return false;
  Hooks().showSettings();
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

void SetHotKeyHooks(HotKeyHooks h) {
  const bool whole = h.window && h.setChangeCaption && h.questionOwner && h.showSettings && h.pressed;
  base::Required(whole ? &h : nullptr, "every hot key hook");
  hooks = std::move(h);
  hooksBound = true;
}

void SetupHotKey(bool release) {
  HWND main = Hooks().window;
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
  HWND main = Hooks().window;
  if (hotKeyRegistered) ::UnregisterHotKey(main, kHotKeyId);
  hotKeyRegistered = Register();
  if (hotKeyRegistered) {
    SetChangeCaption(true);
    HWND owner = Hooks().questionOwner();
    forms::MsgBox("Hotkey '" + StoredName() + "' successfully registered for Vexa Desktop", MB_OK | MB_ICONINFORMATION,
                  "Success!", owner);
    return false;
  }
  SetChangeCaption(false);
  return AskForAnotherKey();
}

void OnHotKey(int /*id*/) {
  const UINT vk = vd::HotKeyVirtualKey(StoredChoice().key);
  if (heldKey == vk) return;  // not up since the press taken last: a repeat
  StopWatchingKey();
  seenUp = false;
  if (::SetTimer(Hooks().window, kKeyUpTimerId, kKeyUpPollMs, nullptr)) heldKey = vk;
  Hooks().pressed();
}
