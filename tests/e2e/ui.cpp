#include "ui.h"

#include <commctrl.h>

#include <cstdlib>
#include <cwchar>
#include <vector>

#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"

namespace e2e {

namespace {
// Where the first notification icon sits on the 1024x768 virtual desktop.
constexpr int kTrayX = 1012, kTrayY = 758;
}  // namespace

void PostTrayMessage(HWND mainWindow, UINT mouseMessage) {
  HWND target = ::GetDlgItem(mainWindow, ids::SysTrayPic);
  ::PostMessageA(target, WM_MOUSEMOVE, 1, static_cast<LPARAM>(mouseMessage));
}

HWND VisiblePopupMenu() {
  HWND w = nullptr;
  while ((w = ::FindWindowExA(nullptr, w, "#32768", nullptr)) != nullptr)
    if (::IsWindowVisible(w)) return w;
  return nullptr;
}

HWND WaitForPopupMenu(int timeoutMs) {
  HWND menu = nullptr;
  WaitUntil([&] { return (menu = VisiblePopupMenu()) != nullptr; }, timeoutMs);
  // The menu reads keys once its loop runs and takes messages.
  if (menu && !Answers(menu)) return nullptr;
  return menu;
}

bool WaitNoPopupMenu(int timeoutMs) {
  return WaitUntil([] { return VisiblePopupMenu() == nullptr; }, timeoutMs);
}

void MenuKeys(HWND menu, std::initializer_list<WPARAM> keys) {
  for (WPARAM k : keys) {
    ::PostMessageA(menu, WM_KEYDOWN, k, 1);
    ::PostMessageA(menu, WM_KEYUP, k, 0xC0000001);
    ::Sleep(60);
  }
}

bool ChooseFromImageMenu(HWND imgList, std::initializer_list<WPARAM> keys) {
  RightClickControl(imgList, 20, 60);
  HWND menu = WaitForPopupMenu();
  if (!menu) return false;
  MenuKeys(menu, keys);
  return WaitNoPopupMenu();
}

bool ChooseTrayEntry(HWND mainWindow, int downs) {
  PostTrayMessage(mainWindow, WM_RBUTTONDOWN);
  PostTrayMessage(mainWindow, WM_RBUTTONUP);
  HWND menu = WaitForPopupMenu();
  if (!menu) return false;
  for (int i = 0; i < downs; ++i) MenuKeys(menu, {VK_DOWN});
  MenuKeys(menu, {VK_RETURN});
  return WaitNoPopupMenu();
}

bool Answers(HWND window, int timeoutMs) {
  DWORD_PTR ignored = 0;
  return window && ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeoutMs), &ignored);
}

bool BringToFront(HWND window, int timeoutMs) {
  return WaitUntil(
      [&] {
        if (::GetForegroundWindow() != window) ::SetForegroundWindow(window);
        return ::GetForegroundWindow() == window && Answers(window);
      },
      timeoutMs, 50);
}

bool MouseTo(int x, int y, DWORD buttonFlags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = buttonFlags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  if (::SendInput(1, &in, sizeof in) != 1) return false;
  POINT at{};
  return WaitUntil([&] { return ::GetCursorPos(&at) && std::abs(at.x - x) <= 1 && std::abs(at.y - y) <= 1; }, 5000, 5);
}

bool DragWindow(HWND window, POINT from, POINT to, int steps) {
  RECT before{};
  ::GetWindowRect(window, &before);
  auto moved = [&] {
    RECT now{};
    return ::GetWindowRect(window, &now) && (now.left != before.left || now.top != before.top);
  };
  // A press a busy machine lost leaves the window where it was: then the
  // whole drag is tried again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!BringToFront(window) || !MouseTo(from.x, from.y) || !Answers(window)) continue;
    bool ok = MouseTo(from.x, from.y, MOUSEEVENTF_LEFTDOWN) && Answers(window);
    for (int i = 1; ok && i <= steps; ++i)
      ok = MouseTo(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps) && Answers(window);
    POINT at{};
    ::GetCursorPos(&at);
    MouseTo(at.x, at.y, MOUSEEVENTF_LEFTUP);  // the button goes up however the drag went
    Answers(window);
    if (ok && WaitUntil(moved, 3000)) return true;
  }
  return false;
}

void ClickControl(HWND control) {
  ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void RightClickControl(HWND control, int x, int y) {
  ::PostMessageA(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
  ::PostMessageA(control, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

HWND WaitForDialog(DWORD pid, const char* title, int timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindProcessWindow(pid, "#32770", title);
        return found && ::IsWindowVisible(found);
      },
      timeoutMs);
  return found && ::IsWindowVisible(found) ? found : nullptr;
}

bool ConfirmExit(Process& vd) {
  HWND ask = WaitForDialog(vd.Pid(), "Vexa Desktop");
  if (!ask) return false;
  PressButton(ask, IDYES);
  return vd.WaitExit(10000);
}

bool WaitDialogGone(HWND dialog, int timeoutMs) {
  return WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, timeoutMs);
}

std::string MessageBoxText(HWND box) {
  HWND text = ::GetDlgItem(box, 0xFFFF);
  std::wstring w(4096, L'\0');
  DWORD_PTR n = 0;
  ::SendMessageTimeoutW(text, WM_GETTEXT, w.size(), reinterpret_cast<LPARAM>(w.data()), SMTO_ABORTIFHUNG, 3000, &n);
  w.resize(n);
  return Utf8(w);
}

void PressButton(HWND dialog, int id) {
  ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void AnswerFileDialog(HWND dialog, const std::string& name) {
  HWND box = ::GetDlgItem(dialog, 0x47c);
  const std::wstring w = Wide(name);
  DWORD_PTR r = 0;
  ::SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()), SMTO_ABORTIFHUNG, 3000, &r);
  PressButton(dialog, IDOK);
}

namespace {
BOOL CALLBACK FindNameEdit(HWND w, LPARAM found) {
  char cls[32] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  if (::lstrcmpiA(cls, "Edit") != 0 || !::IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}
}  // namespace

HWND FileNameBox(HWND dialog) {
  // The classic dialog's name box, or the edit inside the newer dialog's name combo.
  HWND box = ::GetDlgItem(dialog, 0x47c);
  char cls[32] = {};
  if (box) ::GetClassNameA(box, cls, sizeof cls);
  if (box && ::lstrcmpiA(cls, "Edit") == 0) return box;
  HWND found = nullptr;
  ::EnumChildWindows(box ? box : dialog, &FindNameEdit, reinterpret_cast<LPARAM>(&found));
  if (!found && box) ::EnumChildWindows(dialog, &FindNameEdit, reinterpret_cast<LPARAM>(&found));
  return found;
}

void AnswerFolderDialog(HWND dialog, const std::string& path) {
  const std::wstring w = Wide(path);
  DWORD_PTR r = 0;
  ::SendMessageTimeoutW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()), SMTO_ABORTIFHUNG,
                        3000, &r);
  PressButton(dialog, IDOK);
}

std::string TrayTip() {
  // The notification area keeps each icon's tip in a tooltip window of its
  // own process; ask each tooltip for its tools, with the answer written into
  // memory of that process.
  HWND w = nullptr;
  while ((w = ::FindWindowExA(nullptr, w, "tooltips_class32", nullptr)) != nullptr) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) continue;
    constexpr SIZE_T kTextOffset = 512, kTextChars = 1024;
    auto* remote = static_cast<char*>(
        ::VirtualAllocEx(process, nullptr, kTextOffset + kTextChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::string found;
    DWORD_PTR count = 0;
    ::SendMessageTimeoutW(w, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    for (DWORD_PTR i = 0; remote && i < count && found.empty(); ++i) {
      TTTOOLINFOW ti{};
      ti.cbSize = sizeof ti;
      ti.lpszText = reinterpret_cast<wchar_t*>(remote + kTextOffset);
      const wchar_t none = 0;
      ::WriteProcessMemory(process, remote + kTextOffset, &none, sizeof none, nullptr);
      ::WriteProcessMemory(process, remote, &ti, sizeof ti, nullptr);
      DWORD_PTR ok = 0;
      if (!::SendMessageTimeoutW(w, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000, &ok) ||
          !ok)
        continue;
      std::wstring text(kTextChars, L'\0');
      ::ReadProcessMemory(process, remote + kTextOffset, text.data(), kTextChars * sizeof(wchar_t), nullptr);
      text.resize(wcsnlen(text.c_str(), kTextChars));
      const std::string tip = Utf8(text);
      if (tip.rfind("Vexa Desktop:", 0) == 0) found = tip;
    }
    if (remote) ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    ::CloseHandle(process);
    if (!found.empty()) return found;
  }
  return {};
}

void SweepTray() {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  for (int pass = 0; pass < 2; ++pass) {
    for (int x = 1022; x >= 700; x -= 6) {
      in.mi.dx = x * 65535 / 1023;
      in.mi.dy = kTrayY * 65535 / 767;
      ::SendInput(1, &in, sizeof in);
      ::Sleep(5);
    }
  }
  ::SetCursorPos(kTrayX - 300, kTrayY - 300);
  ::Sleep(300);
}

TrayLook TrayIconLook() {
  // The icons' hills: green when enabled, grey when disabled.
  int green = 0, grey = 0;
  // The whole notification area: a stale icon of an ended program may hold the first place.
  for (int y = kTrayY - 10; y <= kTrayY + 9; ++y) {
    for (int x = kTrayX - 140; x <= kTrayX + 11; ++x) {
      const std::uint32_t c = ScreenPixel(x, y);
      if (ColourDistance(c, 0x5A9650) < 24) ++green;
      if (ColourDistance(c, 0xA3A7AC) < 10) ++grey;
    }
  }
  if (green >= 8) return TrayLook::Enabled;
  if (grey >= 8) return TrayLook::Disabled;
  return TrayLook::None;
}

}  // namespace e2e
