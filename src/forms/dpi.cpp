// DPI: the screen's and a window's scale, the message font at a DPI, and a
// form laid out again when its window moves to a monitor of another scale.
#include "forms/forms.h"
#include "forms/forms_internal.h"

#include <unordered_map>

namespace forms {

namespace {

int ScreenDpi() {
  static const int dpi = [] {
    HDC dc = ::GetDC(nullptr);
    int d = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return d > 0 ? d : 96;
  }();
  return dpi;
}

// The per-window DPI functions arrived with Windows 10 1607: looked up at run
// time, so that the program still starts on a system without them.
template <typename F>
F User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

}  // namespace

// The window's outer size for a client area of width x height at dpi.
RECT OuterRect(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
  RECT r{0, 0, width, height};
  static const auto adjustForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, dpi)) ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return r;
}

int Scale(int units) { return ::MulDiv(units, ScreenDpi(), 96); }

UINT SystemDpi() { return static_cast<UINT>(ScreenDpi()); }

UINT WindowDpi(HWND window) {
  static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  const UINT dpi = window && forWindow ? forWindow(window) : 0;
  return dpi ? dpi : SystemDpi();
}

HFONT DefaultFont() { return MessageFont(SystemDpi()); }

HFONT MessageFont(UINT dpi) {
  // One font per DPI for the program's life; a program sees two or three.
  static std::unordered_map<UINT, HFONT> fonts;
  if (auto it = fonts.find(dpi); it != fonts.end()) return it->second;
  static const auto forDpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
  HFONT font = nullptr;
  NONCLIENTMETRICSW wide{};
  wide.cbSize = sizeof wide;
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof wide, &wide, 0, dpi)) {
    font = ::CreateFontIndirectW(&wide.lfMessageFont);
  } else {
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)) {
      m.lfMessageFont.lfHeight = ::MulDiv(m.lfMessageFont.lfHeight, static_cast<int>(dpi), ScreenDpi());
      font = ::CreateFontIndirectA(&m.lfMessageFont);
    }
  }
  if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  fonts[dpi] = font;
  return font;
}

void Form::RelayoutForDpi(UINT dpi, const RECT* suggested) {
  dpi_ = dpi;
  if (suggested)
    ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (auto& [id, c] : controls_) {
    if (!c->hwnd_) continue;
    ::SendMessageA(c->hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    const Control::Layout& u = c->units_;
    ::MoveWindow(c->hwnd_, Scale(u.x), Scale(u.y), Scale(u.width), Scale(u.height), TRUE);
  }
  OnDpiChanged();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace forms
