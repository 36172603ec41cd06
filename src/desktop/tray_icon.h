// VD's icon in the notification area: its picture and tip show whether
// automatic changing is enabled; its mouse messages go to the window given.
#pragma once

#include <windows.h>

// The two pictures of the icon at the size the notification area uses.
HICON TrayIconPicture(bool enabled);

// The window that gets the icon's mouse messages (frmMain's SysTrayPic).
void SetTrayIconWindow(HWND window);
// Adds the icon for the current enabled state (again, after the shell
// rebuilt the notification area).
void AddTrayIcon();
// Changes picture and tip in place.
void UpdateTrayIcon(bool enabled);
// Removes the icon; harmless when it is gone already.
void RemoveTrayIcon();

// The message the shell broadcasts when the notification area is rebuilt.
UINT TaskbarCreatedMessage();
