#include "desktop/hot_key.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>

#include "base/required.h"
#include "engine/hotkey_names.h"
#include "engine/settings_dialog.h"
#include "forms/forms.h"

namespace {

constexpr int kHotKeyId = 0;
constexpr int kPreviousHotKeyId = 1;
constexpr UINT_PTR kSubclassId = 0x484B;  // "HK"

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

}  // namespace

HotKey::~HotKey() {
  if (!subclassed_) return;
  if (registered_) ::UnregisterHotKey(subclassed_, kHotKeyId);
  if (previousRegistered_) ::UnregisterHotKey(subclassed_, kPreviousHotKeyId);
  if (heldKey_) ::KillTimer(subclassed_, kKeyUpTimerId);
  ::RemoveWindowSubclass(subclassed_, &HotKey::WindowProc, kSubclassId);
}

const HotKeyHooks& HotKey::Hooks() const { return base::Required(bound_ ? &hooks_ : nullptr, "the hot key's hooks"); }

void HotKey::Bind(HotKeyHooks h) {
  const bool whole = h.window && h.setChangeCaption && h.questionOwner && h.showSettings && h.pressed &&
                     h.setPreviousCaption && h.previousPressed;
  base::Required(whole ? &h : nullptr, "every hot key hook");
  hooks_ = std::move(h);
  bound_ = true;
}

void HotKey::StopWatchingKey() {
  if (heldKey_) ::KillTimer(Hooks().window, kKeyUpTimerId);
  heldKey_ = 0;
}

void HotKey::WatchKeyUp() {
  if (!heldKey_) return;
  if (::GetAsyncKeyState(static_cast<int>(heldKey_)) & 0x8000) {
    seenUp_ = false;
    return;
  }
  const DWORD now = ::GetTickCount();
  if (!seenUp_) {
    seenUp_ = true;
    upSince_ = now;
  } else if (now - upSince_ >= kReleasedAfterMs) {
    StopWatchingKey();
  }
}

HotKey::Choice HotKey::StoredChoice() const { return {vd::TextAsIndex(settings_.hotModifier), settings_.hotCombi}; }

std::string HotKey::StoredName() const {
  const Choice c = StoredChoice();
  return vd::HotKeyName(c.modifier, c.key);
}

// A stored index outside the lists' range names no key: it is not offered to
// the system at all, and counts as a key that cannot be registered.
bool HotKey::Register() {
  const Choice c = StoredChoice();
  if (!vd::HotKeyChoiceValid(c.modifier, c.key)) return false;
  // A held key is one press, not a change per auto-repeat.
  return ::RegisterHotKey(Hooks().window, kHotKeyId, vd::HotKeyModifierFlags(c.modifier) | MOD_NOREPEAT,
                          vd::HotKeyVirtualKey(c.key)) != 0;
}

vd::FlagsHotKey PreviousKeyChoice(const vd::Settings& s) {
  return vd::PreviousHotKey(s.previousHotFlags, s.previousHotCombi, vd::TextAsIndex(s.hotModifier), s.hotCombi);
}

std::string HotKey::PreviousName() const {
  const vd::FlagsHotKey k = PreviousKeyChoice(settings_);
  return vd::HotKeyFlagsName(k.flags, k.key);
}

bool HotKey::RegisterPrevious() {
  const vd::FlagsHotKey k = PreviousKeyChoice(settings_);
  // The same key as the change key would take its presses: it is not offered.
  const Choice c = StoredChoice();
  if (static_cast<unsigned>(k.flags) == vd::HotKeyModifierFlags(c.modifier) && k.key == c.key) return false;
  return ::RegisterHotKey(Hooks().window, kPreviousHotKeyId, static_cast<UINT>(k.flags) | MOD_NOREPEAT,
                          vd::HotKeyVirtualKey(k.key)) != 0;
}

void HotKey::SetPreviousCaption(bool withKey) {
  std::string caption = "&Previous Wallpaper";
  if (withKey) caption += "\t" + PreviousName();
  Hooks().setPreviousCaption(caption);
}

// The tray menu's "Change Wallpaper" entry names the key while one is registered.
void HotKey::SetChangeCaption(bool withKey) {
  std::string caption = "Change &Wallpaper";
  if (withKey) caption += "\t" + StoredName();
  Hooks().setChangeCaption(caption);
}

// True when the user wants to choose another key.
bool HotKey::AskForAnotherKey(const std::string& name) {
  const std::string text = "Hotkey '" + name + "' could not be registered for Vexa Desktop\r\n\r\n" +
                           "Do you want to select another key?";
  // Asked from the open dialog's Apply, the dialog owns the question.
  HWND owner = Hooks().questionOwner();
  if (forms::MsgBox(text, MB_YESNO | MB_ICONSTOP, "Error", owner) != IDYES) return false;
  Hooks().showSettings();
  return true;
}

// The subclass carries this object as its reference data: no global leads back here.
LRESULT CALLBACK HotKey::WindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR self) noexcept {
  HotKey& key = *reinterpret_cast<HotKey*>(self);
  if (msg == WM_HOTKEY) {
    try {
      key.OnPressed(static_cast<int>(wParam));
    } catch (...) {
      // The change is abandoned; the key keeps working.
    }
    return 1;
  }
  if (msg == WM_TIMER && wParam == kKeyUpTimerId) {
    key.WatchKeyUp();
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(h, &HotKey::WindowProc, kSubclassId);
    key.subclassed_ = nullptr;
  }
  return ::DefSubclassProc(h, msg, wParam, lParam);
}

void HotKey::Setup(bool release) {
  HWND main = Hooks().window;
  if (release) {
    if (registered_) ::UnregisterHotKey(main, kHotKeyId);
    if (previousRegistered_) ::UnregisterHotKey(main, kPreviousHotKeyId);
    registered_ = previousRegistered_ = false;
    return;
  }
  registered_ = Register();
  previousRegistered_ = RegisterPrevious();
  if (!subclassed_ && ::SetWindowSubclass(main, &HotKey::WindowProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    subclassed_ = main;
  SetChangeCaption(registered_);
  SetPreviousCaption(previousRegistered_);
  if (!registered_ && AskForAnotherKey(StoredName())) return;
  if (!previousRegistered_) AskForAnotherKey(PreviousName());
}

bool HotKey::ApplyPrevious() {
  if (previousRegistered_) ::UnregisterHotKey(Hooks().window, kPreviousHotKeyId);
  previousRegistered_ = RegisterPrevious();
  SetPreviousCaption(previousRegistered_);
  return !previousRegistered_ && AskForAnotherKey(PreviousName());
}

bool HotKey::Apply() {
  HWND main = Hooks().window;
  if (registered_) ::UnregisterHotKey(main, kHotKeyId);
  if (previousRegistered_) ::UnregisterHotKey(main, kPreviousHotKeyId);
  previousRegistered_ = false;
  registered_ = Register();
  if (registered_) {
    SetChangeCaption(true);
    HWND owner = Hooks().questionOwner();
    forms::MsgBox("Hotkey '" + StoredName() + "' successfully registered for Vexa Desktop", MB_OK | MB_ICONINFORMATION,
                  "Success!", owner);
    return ApplyPrevious();
  }
  SetChangeCaption(false);
  previousRegistered_ = RegisterPrevious();
  SetPreviousCaption(previousRegistered_);
  return AskForAnotherKey(StoredName());
}

void HotKey::OnPressed(int id) {
  const bool previous = id == kPreviousHotKeyId;
  const UINT vk = vd::HotKeyVirtualKey(previous ? PreviousKeyChoice(settings_).key : StoredChoice().key);
  if (heldKey_ == vk) return;  // not up since the press taken last: a repeat
  StopWatchingKey();
  seenUp_ = false;
  if (::SetTimer(Hooks().window, kKeyUpTimerId, kKeyUpPollMs, nullptr)) heldKey_ = vk;
  if (previous) {
    Hooks().previousPressed();
  } else {
    Hooks().pressed();
  }
}
