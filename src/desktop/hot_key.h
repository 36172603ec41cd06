// The global hot key: registered for the main window, it changes the
// wallpaper from anywhere, also while automatic changing is off.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// What the key needs from the program's windows, given once at start: every
// member is required, and the key aborts when used before they are given.
struct HotKeyHooks {
  HWND window = nullptr;  // the key's owner: the main window
  // The tray menu's change entry, naming the key while one is registered.
  std::function<void(const std::string& caption)> setChangeCaption;
  // The open settings dialog, which owns questions about the key; null when closed.
  std::function<HWND()> questionOwner;
  std::function<void()> showSettings;
  std::function<void()> pressed;  // one press, its auto-repeats left out
};
void SetHotKeyHooks(HotKeyHooks hooks);

// Registers the stored key (release = false, once at start) or gives it back
// (release = true, at Exit). A key that cannot be registered is reported with
// a question that offers the settings dialog.
void SetupHotKey(bool release);

// Drops the registered key and registers the stored one again, reporting the
// outcome. True when registration failed and the user asked to pick another key.
bool ApplyHotKey();

// The change a press of the key asks for.
void OnHotKey(int id);
