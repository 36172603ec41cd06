#include "desktop/desktop_icons.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "engine/settings_dialog.h"

namespace {

constexpr const char* kDefViewClass = "SHELLDLL_DefView";

// The top-level window that holds the shell's icon view: "Progman" as a rule;
// after the system has animated a wallpaper change the view may have moved
// into one of the "WorkerW" windows instead.
HWND IconViewHost(HWND* defView) {
  HWND view = nullptr;
  HWND host = ::FindWindowA("Progman", "Program Manager");
  if (host) view = ::FindWindowExA(host, nullptr, kDefViewClass, nullptr);
  if (!view) {
    host = nullptr;
    HWND worker = nullptr;
    while ((worker = ::FindWindowExA(nullptr, worker, "WorkerW", nullptr)) != nullptr) {
      if ((view = ::FindWindowExA(worker, nullptr, kDefViewClass, nullptr)) != nullptr) {
        host = worker;
        break;
      }
    }
  }
  if (defView) *defView = view;
  return view ? host : nullptr;
}

}  // namespace

HWND FindDesktopListView() {
  HWND view = nullptr;
  if (!IconViewHost(&view)) return nullptr;
  return ::FindWindowExA(view, nullptr, WC_LISTVIEWA, nullptr);
}

bool SetIconTextColours(HWND listView, COLORREF& backColour) {
  // Another process's window: never wait on a shell that hangs.
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(listView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(backColour), SMTO_ABORTIFHUNG, 2000,
                        &result);
  const COLORREF text = static_cast<COLORREF>(vd::IconColourOrDefault(app().settings.iconForeColor));
  result = 0;
  ::SendMessageTimeoutA(listView, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &result);
  return result != 0;
}

void ApplyIconTextColours() {
  HWND listView = FindDesktopListView();
  if (!listView) return;
  COLORREF back = app().settings.transparentIcons != 0 ? CLR_NONE : ::GetSysColor(COLOR_BACKGROUND);
  SetIconTextColours(listView, back);
  // Repainted when the shell gets to it: nothing here waits on the shell.
  ::RedrawWindow(listView, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

namespace {

void ShowDesktopIcons(bool show) {
  // Act on the window that really holds the icons; with no icon view at all,
  // on the first "Progman". Asynchronously: a hung shell never holds VD up.
  HWND host = IconViewHost(nullptr);
  if (!host) host = ::FindWindowExA(nullptr, nullptr, "Progman", nullptr);
  if (host) ::ShowWindowAsync(host, show ? SW_SHOW : SW_HIDE);
}

}  // namespace

void ShowHideDesktopIcons() { ShowDesktopIcons(app().settings.showIcons != 0); }

void ShowDesktopIconsAtEnd() {
  if (app().settings.showIcons == 0) ShowDesktopIcons(true);
}
