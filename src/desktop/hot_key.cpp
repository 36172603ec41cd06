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
constexpr UINT_PTR kSubclassId = 0x484B;  // "HK"

HotKeyHooks hooks;
bool hotKeyRegistered = false;
bool subclassed = false;

// A held key is one press. Where MOD_NOREPEAT is not honoured (Windows
// before 7, Wine) the key's auto-repeats arrive as presses too: a press is a
// repeat while the key has stayed down since the press taken last. While it
// is down, a timer watches for it to come up.
constexpr UINT_PTR kKeyUpTimerId = 0x484B;
constexpr UINT kKeyUpPollMs = 25;
// A press that waited in the queue longer than this while the key was still
// down from the last one taken cannot be told from a repeat; it counts as one.
constexpr DWORD kStalePressMs = 250;
UINT heldKey = 0;  // the virtual key of the press taken last, while it has not come up

bool KeyDown(UINT vk) { return (::GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0; }

void StopWatchingKey() {
  if (heldKey && hooks.window) ::KillTimer(hooks.window, kKeyUpTimerId);
  heldKey = 0;
}

void WatchKeyUp() {
  if (heldKey && !KeyDown(heldKey)) StopWatchingKey();
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
  if (msg == WM_TIMER && wParam == kKeyUpTimerId) {
    WatchKeyUp();
    return 0;
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
  const UINT vk = vd::HotKeyVirtualKey(StoredChoice().key);
  if (heldKey == vk) {
    // Not seen coming up since the last press: a repeat while it is still
    // down, and so is one that waited in the queue for longer than a poll.
    const DWORD waited = ::GetTickCount() - static_cast<DWORD>(::GetMessageTime());
    if (KeyDown(vk) || waited > kStalePressMs) return;
  }
  StopWatchingKey();
  if (KeyDown(vk) && hooks.window && ::SetTimer(hooks.window, kKeyUpTimerId, kKeyUpPollMs, nullptr)) heldKey = vk;
  if (hooks.pressed) hooks.pressed();
}
