// The form: its window's life, its procedure, and the message loop helpers.
#include "forms/forms.h"
#include "forms/forms_internal.h"

#include <commctrl.h>
#include <windowsx.h>

namespace forms {

int Form::loadedCount_ = 0;

void DoEvents() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
      return;
    }
    if (HandleDialogKeys(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

int MsgBox(const std::string& text, UINT flags, const std::string& title, HWND owner) {
  return ::MessageBoxA(owner, text.c_str(), title.c_str(), flags | MB_SETFOREGROUND);
}

// ---- Form ------------------------------------------------------------------

Form::~Form() {
  if (hwnd_) {
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
    --loadedCount_;
  }
  if (backBrush_) ::DeleteObject(backBrush_);
}

void Form::Load() {
  if (hwnd_ || loading_) return;
  loading_ = true;
  static bool classRegistered = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Form::WindowProc;
    wc.hInstance = Instance();
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hIcon = ::LoadIconA(Instance(), MAKEINTRESOURCEA(1));
    wc.lpszClassName = kFormClass;
    return ::RegisterClassExA(&wc) != 0;
  }();
  (void)classRegistered;

  WindowDesign design = Design();
  dialogKeys_ = design.dialogKeys;
  // Controls and keyboard go together: Tab may then reach into child windows.
  if (dialogKeys_) design.exStyle |= WS_EX_CONTROLPARENT;
  // The window's DPI is known once it exists: it is made at the system's,
  // then sized again at its own where that differs (another monitor's scale).
  dpi_ = SystemDpi();
  auto outer = [&design](UINT dpi) {
    const int w = ::MulDiv(design.width, static_cast<int>(dpi), 96), h = ::MulDiv(design.height, static_cast<int>(dpi), 96);
    return design.clientSize ? OuterRect(w, h, design.style, design.exStyle, dpi) : RECT{0, 0, w, h};
  };
  RECT r = outer(dpi_);
  HWND h = ::CreateWindowExA(design.exStyle, kFormClass, design.caption.c_str(), design.style & ~WS_VISIBLE, design.x, design.y,
                             r.right - r.left, r.bottom - r.top, nullptr, nullptr, Instance(), this);
  if (!h) {
    loading_ = false;
    return;
  }
  ++loadedCount_;
  if (const UINT own = WindowDpi(h); own != dpi_) {
    dpi_ = own;
    r = outer(dpi_);
    ::SetWindowPos(h, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CreateControls();
  for (auto& [id, t] : timers_) t->Apply();
  loading_ = false;
  Form_Load();
}

void Form::Unload() {
  if (!hwnd_) return;
  Form_Unload();
  if (!hwnd_) return;
  HWND h = hwnd_;
  ::DestroyWindow(h);
}

void Form::Show() {
  if (!hwnd_) Load();
  if (!hwnd_) return;
  ::ShowWindow(hwnd_, ::IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  ::SetForegroundWindow(hwnd_);
}

void Form::ShowNoActivate() {
  if (!hwnd_) Load();
  if (hwnd_) ::ShowWindow(hwnd_, SW_SHOWNA);
}

void Form::Hide() {
  if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}

bool Form::Visible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

void Form::Refresh() {
  if (!hwnd_) return;
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Form::SetEnabled(bool enabled) {
  if (hwnd_) ::EnableWindow(hwnd_, enabled);
}

bool Form::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }

void Form::SetCaption(const std::string& caption) {
  if (hwnd_) ::SetWindowTextA(hwnd_, caption.c_str());
}

void Form::Minimize() {
  if (hwnd_) ::ShowWindow(hwnd_, SW_MINIMIZE);
}

void Form::SetToolTip(const Control& control, const std::string& text) {
  if (!hwnd_ || !control.Handle()) return;
  if (!toolTip_) {
    toolTip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, Instance(),
                                 nullptr);
    ::SendMessageA(toolTip_, TTM_SETMAXTIPWIDTH, 0, 600);
  }
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(control.Handle());
  ti.lpszText = const_cast<char*>(text.c_str());
  if (text.empty()) {
    ::SendMessageA(toolTip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    return;
  }
  TTTOOLINFOA probe = ti;
  probe.lpszText = nullptr;
  bool known = ::SendMessageA(toolTip_, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&probe)) != 0;
  ::SendMessageA(toolTip_, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void Form::SetBackColor(COLORREF c) {
  backColor_ = c;
  if (backBrush_) ::DeleteObject(backBrush_);
  backBrush_ = nullptr;
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

bool Form::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CALLBACK Form::WindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  Form* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = h;
    ::SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Form*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
  }
  if (!self) return ::DefWindowProcA(h, msg, wParam, lParam);
  try {
    return self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    // Exceptions never cross into the system; the event is simply abandoned.
    return ::DefWindowProcA(h, msg, wParam, lParam);
  }
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  // Noted before the form's own handler, which may hide the control that has it.
  if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
  }
  if (OnMessage(msg, wParam, lParam, result)) return result;
  if (dialogKeys_ && HandleDialogMessage(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE || HIWORD(wParam)) break;  // leaving, or minimised
      if (RestoreFocus()) return 0;
      break;  // no control to take it: the form itself has it
    case WM_DPICHANGED:
      // Moved to a monitor of another scale: everything again at the new DPI.
      RelayoutForDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_COMMAND:
      if (lParam) {
        auto it = controls_.find(LOWORD(wParam));
        if (it != controls_.end() && it->second->hwnd_ == reinterpret_cast<HWND>(lParam)) it->second->OnCommand(HIWORD(wParam));
      }
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (auto it = controls_.find(static_cast<int>(item->CtlID)); it != controls_.end()) it->second->OnDrawItem(*item);
      return TRUE;
    }
    case WM_MOUSEMOVE:
      if (MouseMove) MouseMove(MouseFrom(msg, wParam, lParam));
      return 0;
    case WM_TIMER: {
      auto it = timers_.find(wParam);
      if (it != timers_.end() && it->second->enabled_ && it->second->Tick) it->second->Tick();
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      Control* c = nullptr;
      int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (auto it = controls_.find(id); it != controls_.end()) c = it->second;
      if (c && c->fore_) ::SetTextColor(dc, *c->fore_);
      if (c && c->transparentBack_) {
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
      }
      if (c && c->backBrush_) {
        ::SetBkColor(dc, *c->back_);
        return reinterpret_cast<LRESULT>(c->backBrush_);
      }
      if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
        if (!backBrush_) backBrush_ = ::CreateSolidBrush(backColor_);
        ::SetBkColor(dc, backColor_);
        return reinterpret_cast<LRESULT>(backBrush_);
      }
      break;
    }
    case WM_ERASEBKGND: {
      if (!backBrush_) backBrush_ = ::CreateSolidBrush(backColor_);
      RECT rc;
      ::GetClientRect(hwnd_, &rc);
      ::FillRect(reinterpret_cast<HDC>(wParam), &rc, backBrush_);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd_, &ps);
      OnPaint(dc, ps.rcPaint);
      ::EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_DESTROY:
      for (auto& [id, t] : timers_) ::KillTimer(hwnd_, id);
      break;
    case WM_NCDESTROY: {
      LRESULT r = ::DefWindowProcA(hwnd_, msg, wParam, lParam);
      ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      controls_.clear();
      toolTip_ = nullptr;  // owned by the window, destroyed with it
      if (--loadedCount_ <= 0) ::PostQuitMessage(0);
      return r;
    }
    default:
      break;
  }
  return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}

}  // namespace forms
