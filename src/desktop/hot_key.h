// The global hot key: registered for the main window, it changes the
// wallpaper from anywhere, also while automatic changing is off.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "engine/hotkey_names.h"
#include "engine/settings.h"

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
  // The same for the "Previous Wallpaper" key and its tray entry.
  std::function<void(const std::string& caption)> setPreviousCaption;
  std::function<void()> previousPressed;
};

// The "Previous Wallpaper" key as it is stored, or the change key's variant.
vd::FlagsHotKey PreviousKeyChoice(const vd::Settings& settings);

class HotKey {
 public:
  // settings: where the chosen key is stored; read at each registration.
  explicit HotKey(const vd::Settings& settings) : settings_(settings) {}
  HotKey(const HotKey&) = delete;
  HotKey& operator=(const HotKey&) = delete;
  // Gives the key back and leaves the main window's procedure as it was.
  ~HotKey();

  void Bind(HotKeyHooks hooks);

  // Registers the stored keys (release = false, once at start) or gives them
  // back (release = true, at Exit). A key that cannot be registered is
  // reported with a question that offers the settings dialog.
  void Setup(bool release);
  // Drops the registered key and registers the stored one again, reporting
  // the outcome. True when registration failed and the user asked to pick
  // another key. The "Previous Wallpaper" key is registered again with it
  // (it may follow the change key); only its failure is reported.
  bool Apply();
  // The same for the "Previous Wallpaper" key alone.
  bool ApplyPrevious();

 private:
  struct Choice {
    int modifier;
    int key;
  };
  const HotKeyHooks& Hooks() const;
  Choice StoredChoice() const;
  std::string StoredName() const;
  bool Register();
  std::string PreviousName() const;
  bool RegisterPrevious();
  void SetChangeCaption(bool withKey);
  void SetPreviousCaption(bool withKey);
  bool AskForAnotherKey(const std::string& name);
  // What a press of key id asks for.
  void OnPressed(int id);
  void StopWatchingKey();
  void WatchKeyUp();
  static LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self) noexcept;

  const vd::Settings& settings_;
  HotKeyHooks hooks_;
  bool bound_ = false;
  bool registered_ = false;
  bool previousRegistered_ = false;
  HWND subclassed_ = nullptr;  // the window whose procedure passes its messages here
  // A held key is one press; see WatchKeyUp.
  UINT heldKey_ = 0;  // the virtual key of the press taken last, until it has come up
  bool seenUp_ = false;
  DWORD upSince_ = 0;  // tick count at which it was first seen up
};
