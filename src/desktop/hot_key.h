// The global hot key: registered for the main window, it changes the
// wallpaper from anywhere, also while automatic changing is off.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "engine/hotkey_names.h"

// What the key needs from the program's windows, given once at start.
struct HotKeyHooks {
  HWND window = nullptr;  // the key's owner: the main window
  // The tray menu's change entry, naming the key while one is registered.
  std::function<void(const std::string& caption)> setChangeCaption;
  // The open settings dialog, which owns questions about the key; null when closed.
  std::function<HWND()> questionOwner;
  std::function<void()> showSettings;
  std::function<void()> pressed;  // one press, its auto-repeats left out
  // The same for the "Previous Wallpaper" key and its tray entry.
  std::function<void(const std::string& caption)> setPreviousCaption;
  std::function<void()> previousPressed;
};
void SetHotKeyHooks(HotKeyHooks hooks);

// The "Previous Wallpaper" key as it is stored, or the change key's variant.
vd::FlagsHotKey PreviousKeyChoice();

// Registers the stored keys (release = false, once at start) or gives it back
// (release = true, at Exit). A key that cannot be registered is reported with
// a question that offers the settings dialog.
void SetupHotKey(bool release);

// Drops the registered key and registers the stored one again, reporting the
// outcome. True when registration failed and the user asked to pick another key.
// The "Previous Wallpaper" key is registered again with it (it may follow
// the change key); only its failure is reported.
bool ApplyHotKey();
// The same for the "Previous Wallpaper" key alone.
bool ApplyPreviousHotKey();

// The change a press of the key asks for.
void OnHotKey(int id);
