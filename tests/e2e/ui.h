// A user's hands on VD's tray icon, popup menus, message boxes and file
// dialogs, from another process.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace e2e {

class Process;

// The notification icon's mouse message, as the shell delivers it.
void PostTrayMessage(HWND mainWindow, UINT mouseMessage);

// The popup menu on the screen, or null.
HWND VisiblePopupMenu();
HWND WaitForPopupMenu(int timeoutMs = 10000);
bool WaitNoPopupMenu(int timeoutMs = 10000);
// Keys pressed in an open popup menu (VK_DOWN, VK_RIGHT, VK_RETURN, ...).
void MenuKeys(HWND menu, std::initializer_list<WPARAM> keys);
// Opens the tray menu with a right click and chooses the entry that n presses
// of the down arrow reach; false when no menu appeared.
bool ChooseTrayEntry(HWND mainWindow, int downs);

// Right-clicks the main window's list and chooses from the image menu with keys.
bool ChooseFromImageMenu(HWND imgList, std::initializer_list<WPARAM> keys);

// True once the window's thread takes a sent message (it pumps again).
bool Answers(HWND window, int timeoutMs = 5000);
// Brings the window in front and waits until it is there and answers, so
// that real mouse input reaches it even on a busy machine.
bool BringToFront(HWND window, int timeoutMs = 5000);
// Real mouse input (SendInput) at a screen point, held button or not; each
// returns once the cursor has got there.
bool MouseTo(int x, int y, DWORD buttonFlags = 0);
// A real drag with the left button from a bare spot of window, in screen
// pixels, through a few steps. Each step waits for its effect: the window in
// front and answering, the cursor where it was sent, the window's thread
// answering again; the drag is tried again if the window did not move (a
// busy machine lost the press). The button is up again however it ends.
bool DragWindow(HWND window, POINT from, POINT to, int steps = 8);

// A click on a control (a panel button, a list entry's right click).
void ClickControl(HWND control);
void RightClickControl(HWND control, int x = 10, int y = 5);

// A message box or dialog of the process with that title.
HWND WaitForDialog(DWORD pid, const char* title, int timeoutMs = 10000);
// Answers Yes to VD's question before it ends, after Exit was chosen, and
// waits until VD has ended.
bool ConfirmExit(Process& vd);
bool WaitDialogGone(HWND dialog, int timeoutMs = 10000);
std::string MessageBoxText(HWND box);
void PressButton(HWND dialog, int id);
// Types name into a file dialog's name box and presses Open or Save.
void AnswerFileDialog(HWND dialog, const std::string& name);
// The name box of an open, save or folder dialog (the newer folder picker's
// is a path box: a folder typed there, relative to the one shown, is picked).
HWND FileNameBox(HWND dialog);
// Types path into a folder picker's path box and presses its OK button.
void AnswerFolderDialog(HWND dialog, const std::string& path);

// The tip the notification area shows for the icon under the mouse.
std::string TrayTip();
// Runs the mouse along the notification area, so that the shell drops the
// icons of programs that were ended without removing them.
void SweepTray();
// Which of VD's two icon pictures the notification area shows, if any.
enum class TrayLook { None, Enabled, Disabled };
TrayLook TrayIconLook();

}  // namespace e2e
