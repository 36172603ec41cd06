// VD's icon in the notification area: its picture and tip show whether
// automatic changing is enabled; its mouse messages go to the window given.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "base/handles.h"

class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  // Takes the icon away should the program end without doing so itself.
  ~TrayIcon() { Remove(); }

  // The window that gets the icon's mouse messages (frmMain's SysTrayPic).
  void SetWindow(HWND window) { window_ = window; }
  // Adds the icon for the enabled state (again, after the shell rebuilt the
  // notification area).
  void Add(bool enabled);
  // Changes picture and tip in place.
  void Update(bool enabled);
  // Removes the icon; harmless when it is gone already.
  void Remove();
  // The two pictures of the icon at the size the notification area uses.
  HICON Picture(bool enabled);

 private:
  void SetState(bool enabled);

  HWND window_ = nullptr;
  NOTIFYICONDATAA data_{};
  base::IconHandle enabledIcon_, disabledIcon_;
};

// The message the shell broadcasts when the notification area is rebuilt.
UINT TaskbarCreatedMessage();
