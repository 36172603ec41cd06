#include "desktop/desktop_icons.h"

#include <commctrl.h>

#include <mutex>
#include <utility>

#include "app/background.h"
#include "engine/settings.h"
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

bool SetIconTextColours(HWND listView, COLORREF backColour, COLORREF textColour) {
  // Another process's window: never wait long on a shell that hangs.
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(listView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(backColour), SMTO_ABORTIFHUNG, 2000,
                        &result);
  result = 0;
  ::SendMessageTimeoutA(listView, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(textColour), SMTO_ABORTIFHUNG, 2000,
                        &result);
  return result != 0;
}

namespace {

// The colours to give the captions next; a request made while one waits on
// the shell's lane only changes them.
struct IconColours {
  std::mutex mutex;
  bool queued = false;
  COLORREF back = CLR_NONE, text = 0;
};

// One for the program: the shell's lane takes the latest colours from it
// when it gets to them, however many changes came meanwhile, and a job
// still waiting on a hung shell at the end finds it there.
IconColours& iconColours() {
  static IconColours c;
  return c;
}

}  // namespace

void ApplyIconTextColours(const vd::Settings& settings, vdapp::Lane& shell) {
  IconColours& c = iconColours();
  {
    std::lock_guard lock(c.mutex);
    c.back = settings.transparentIcons != 0 ? CLR_NONE : ::GetSysColor(COLOR_BACKGROUND);
    c.text = static_cast<COLORREF>(vd::IconColourOrDefault(settings.iconForeColor));
    if (std::exchange(c.queued, true)) return;
  }
  // The shell is sent to on its own lane: a hung one holds up nothing here.
  shell.Run(
      [&c] {
        COLORREF back, text;
        {
          std::lock_guard lock(c.mutex);
          c.queued = false;
          back = c.back;
          text = c.text;
        }
        HWND listView = FindDesktopListView();
        if (!listView) return;
        SetIconTextColours(listView, back, text);
        // Repainted when the shell gets to it.
        ::RedrawWindow(listView, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
      },
      {});
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

void ShowHideDesktopIcons(const vd::Settings& settings) { ShowDesktopIcons(settings.showIcons != 0); }

void ShowDesktopIconsAtEnd(const vd::Settings& settings) {
  if (settings.showIcons == 0) ShowDesktopIcons(true);
}
