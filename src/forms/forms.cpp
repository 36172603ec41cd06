#include "forms/forms.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace forms {

int Form::loadedCount_ = 0;

namespace {

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

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

// The window's outer size for a client area of width x height at dpi.
RECT OuterRect(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
  RECT r{0, 0, width, height};
  static const auto adjustForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, dpi)) ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return r;
}

// The top-level form that owns a window of this thread, or null.
Form* FormOf(HWND window) {
  HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
  char name[32] = {};
  if (!root || ::GetWindowThreadProcessId(root, nullptr) != ::GetCurrentThreadId() ||
      !::GetClassNameA(root, name, sizeof name) || std::strcmp(name, kFormClass) != 0)
    return nullptr;
  return reinterpret_cast<Form*>(::GetWindowLongPtrA(root, GWLP_USERDATA));
}

bool IsPushButton(HWND w) {
  char name[16] = {};
  if (!::GetClassNameA(w, name, sizeof name) || ::lstrcmpiA(name, "Button") != 0) return false;
  const LONG type = ::GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

int ShiftState() {
  int shift = 0;
  if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (::GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

void RegisterTextBoxClass() {
  static bool done = false;
  if (done) return;
  // A renamed EDIT class: same behaviour, a class name other programs look for.
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(nullptr, "EDIT", &wc)) return;
  wc.hInstance = Instance();
  wc.lpszClassName = kTextBoxClass;
  if (::RegisterClassExA(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) done = true;
}

MouseArgs MouseFrom(UINT msg, WPARAM wParam, LPARAM lParam) {
  MouseArgs a;
  a.x = GET_X_LPARAM(lParam);
  a.y = GET_Y_LPARAM(lParam);
  if (wParam & MK_SHIFT) a.shift |= 1;
  if (wParam & MK_CONTROL) a.shift |= 2;
  if (::GetKeyState(VK_MENU) < 0) a.shift |= 4;
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: a.button = kLeftButton; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: a.button = kRightButton; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: a.button = kMiddleButton; break;
    default:
      if (wParam & MK_LBUTTON) a.button |= kLeftButton;
      if (wParam & MK_RBUTTON) a.button |= kRightButton;
      if (wParam & MK_MBUTTON) a.button |= kMiddleButton;
  }
  return a;
}

}  // namespace

int Scale(int units) { return ::MulDiv(units, ScreenDpi(), 96); }

UINT SystemDpi() { return static_cast<UINT>(ScreenDpi()); }

UINT WindowDpi(HWND window) {
  static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  const UINT dpi = window && forWindow ? forWindow(window) : 0;
  return dpi ? dpi : SystemDpi();
}

bool HandleDialogKeys(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  Form* form = FormOf(msg.hwnd);
  if (!form || !form->hwnd_) return false;
  if (form->dialogKeys_) return ::IsDialogMessageA(form->hwnd_, &msg) != FALSE;
  // Any other form takes only Tab and Shift+Tab: its controls keep Enter,
  // Esc and the arrows for themselves.
  if (msg.wParam != VK_TAB || (::GetKeyState(VK_CONTROL) & 0x8000) || (::GetKeyState(VK_MENU) & 0x8000)) return false;
  if (msg.message == WM_KEYDOWN) {
    HWND focus = ::GetFocus();
    const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (HWND next = ::GetNextDlgTabItem(form->hwnd_, focus && ::IsChild(form->hwnd_, focus) ? focus : nullptr, back))
      ::SetFocus(next);
    return true;
  }
  return msg.message == WM_CHAR || msg.message == WM_KEYUP;
}

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

// ---- Control ---------------------------------------------------------------

bool Control::CreateChild(Form& owner, const char* windowClass, const std::string& text, DWORD style,
                          DWORD exStyle, int id, int x, int y, int width, int height) {
  owner_ = &owner;
  id_ = id;
  units_ = Layout{x, y, width, height};
  hwnd_ = ::CreateWindowExA(exStyle, windowClass, text.c_str(), style | WS_CHILD, owner.Scale(x), owner.Scale(y),
                            owner.Scale(width), owner.Scale(height), owner.Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
  if (!hwnd_) return false;
  ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(owner.Font()), FALSE);
  ::SetWindowSubclass(hwnd_, &Control::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  owner.Register(this);
  return true;
}

std::string Control::Text() const {
  if (!hwnd_) return {};
  int n = ::GetWindowTextLengthA(hwnd_);
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  int got = ::GetWindowTextA(hwnd_, s.data(), n + 1);
  s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return s;
}

void Control::SetText(const std::string& text) {
  if (hwnd_) ::SetWindowTextA(hwnd_, text.c_str());
}

bool Control::Visible() const { return hwnd_ && (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE); }

void Control::SetVisible(bool visible) {
  if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }

void Control::SetEnabled(bool enabled) {
  if (hwnd_) ::EnableWindow(hwnd_, enabled);
}

void Control::Move(int x, int y, int width, int height) {
  units_ = Layout{x, y, width, height};
  if (hwnd_ && owner_)
    ::MoveWindow(hwnd_, owner_->Scale(x), owner_->Scale(y), owner_->Scale(width), owner_->Scale(height), TRUE);
}

void Control::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

void Control::BringToFront() {
  if (hwnd_) ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Control::SetColors(std::optional<COLORREF> fore, std::optional<COLORREF> back) {
  fore_ = fore;
  back_ = back;
  if (backBrush_) ::DeleteObject(backBrush_);
  backBrush_ = back ? ::CreateSolidBrush(*back) : nullptr;
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetTransparentBack(bool on) {
  transparentBack_ = on;
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

bool Control::OnSubclassMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      if (MouseDown) MouseDown(MouseFrom(msg, wParam, lParam));
      break;
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
      if (MouseUp) MouseUp(MouseFrom(msg, wParam, lParam));
      break;
    case WM_MOUSEMOVE:
      if (MouseMove) MouseMove(MouseFrom(msg, wParam, lParam));
      break;
    case WM_SETFOCUS:
      if (owner_ && owner_->dialogKeys_) owner_->ShowDefaultButton(hwnd_);
      if (GotFocus) GotFocus();
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const int shift = ShiftState();
      // Shift+F10 asks for the context menu, as the menu key does.
      if (MenuKey && wParam == VK_F10 && shift == 1) {
        MenuKey();
        result = 0;
        return true;
      }
      if (KeyDown && msg == WM_KEYDOWN && KeyDown(static_cast<int>(wParam), shift)) {
        result = 0;
        return true;
      }
      break;
    }
    case WM_CONTEXTMENU:
      // From the keyboard the position is -1, -1; a mouse's menu is the
      // control's own business (its MouseDown or MouseUp).
      if (MenuKey && GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1) {
        MenuKey();
        result = 0;
        return true;
      }
      break;
    case WM_KILLFOCUS:
      if (LostFocus) {
        result = ::DefSubclassProc(hwnd_, msg, wParam, lParam);
        LostFocus();
        return true;
      }
      break;
    case WM_SETCURSOR:
      if (cursor_ && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(cursor_);
        result = TRUE;
        return true;
      }
      break;
    default:
      break;
  }
  return false;
}

LRESULT CALLBACK Control::SubclassProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) noexcept {
  auto* self = reinterpret_cast<Control*>(ref);
  try {
    if (msg == WM_NCDESTROY) {
      ::RemoveWindowSubclass(h, &Control::SubclassProc, 1);
      self->Detach();
      return ::DefSubclassProc(h, msg, wParam, lParam);
    }
    LRESULT result = 0;
    if (self->OnSubclassMessage(msg, wParam, lParam, result)) return result;
  } catch (...) {
    // An event handler failed; the control keeps working.
  }
  return ::DefSubclassProc(h, msg, wParam, lParam);
}

// ---- Controls --------------------------------------------------------------

bool Label::Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height, DWORD extraStyle) {
  return CreateChild(owner, "STATIC", text, WS_VISIBLE | SS_NOTIFY | extraStyle, 0, id, x, y, width, height);
}

void Label::GrowToFitText() {
  if (!hwnd_) return;
  RECT outer{};
  ::GetWindowRect(hwnd_, &outer);
  const std::string text = Text();
  RECT needed{0, 0, outer.right - outer.left, 0};
  HDC dc = ::GetDC(hwnd_);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hwnd_, WM_GETFONT, 0, 0)));
  UINT format = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;  // as the static control draws it
  if (::GetWindowLongA(hwnd_, GWL_STYLE) & SS_NOPREFIX) format |= DT_NOPREFIX;
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &needed, format);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd_, dc);
  if (needed.bottom > outer.bottom - outer.top)
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, needed.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::WrapAfter(std::size_t chars) {
  if (!hwnd_) return;
  const std::string text = Text().substr(0, chars);
  HDC dc = ::GetDC(hwnd_);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hwnd_, WM_GETFONT, 0, 0)));
  SIZE size{};
  const bool measured = ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size) != FALSE;
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd_, dc);
  if (!measured) return;
  RECT outer{};
  ::GetWindowRect(hwnd_, &outer);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::OnCommand(int code) {
  if (code == STN_CLICKED && Click) Click();
}

bool Button::Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height) {
  return CreateChild(owner, "BUTTON", text, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, id, x, y, width, height);
}

void Button::OnCommand(int code) {
  if (code == BN_CLICKED && Click) Click();
}

bool CheckBox::Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height) {
  return CreateChild(owner, "BUTTON", text, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, id, x, y, width, height);
}

int CheckBox::Value() const {
  return hwnd_ && ::SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CheckBox::SetValue(int value) {
  if (!hwnd_ || (value ? 1 : 0) == Value()) return;
  ::SendMessageA(hwnd_, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (Click) Click();
}

void CheckBox::OnCommand(int code) {
  if (code == BN_CLICKED && Click) Click();
}

bool ListBox::Create(Form& owner, int id, int x, int y, int width, int height, bool visible) {
  DWORD style = WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP;
  if (visible) style |= WS_VISIBLE;
  return CreateChild(owner, "LISTBOX", "", style, 0, id, x, y, width, height);
}

int ListBox::AddItem(const std::string& text) {
  return hwnd_ ? static_cast<int>(::SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()))) : -1;
}

bool ListBox::RemoveItem(int index) {
  return hwnd_ && ::SendMessageA(hwnd_, LB_DELETESTRING, static_cast<WPARAM>(index), 0) != LB_ERR;
}

void ListBox::Clear() {
  if (hwnd_) ::SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
}

int ListBox::ListCount() const { return hwnd_ ? static_cast<int>(::SendMessageA(hwnd_, LB_GETCOUNT, 0, 0)) : 0; }

std::string ListBox::List(int index) const {
  if (!hwnd_) return {};
  LRESULT n = ::SendMessageA(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == LB_ERR) return {};
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  LRESULT got = ::SendMessageA(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return s;
}

int ListBox::ListIndex() const { return hwnd_ ? static_cast<int>(::SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)) : -1; }

bool ListBox::SetListIndex(int index) {
  if (!hwnd_ || index < -1 || index >= ListCount()) return false;
  ::SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (Click) Click();  // LB_SETCURSEL sends no notification
  return true;
}

void ListBox::SetRedraw(bool on) {
  if (!hwnd_) return;
  ::SendMessageA(hwnd_, WM_SETREDRAW, on, 0);
  if (on) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListBox::FitHeightToItems() {
  if (!hwnd_) return;
  const LRESULT itemHeight = ::SendMessageA(hwnd_, LB_GETITEMHEIGHT, 0, 0);
  if (itemHeight == LB_ERR) return;
  RECT outer{}, inner{};
  ::GetWindowRect(hwnd_, &outer);
  ::GetClientRect(hwnd_, &inner);
  const int border = (outer.bottom - outer.top) - inner.bottom;
  ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left,
                 static_cast<int>(itemHeight) * ListCount() + border, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ListBox::OnCommand(int code) {
  if (code == LBN_SELCHANGE && Click) Click();
  if (code == LBN_DBLCLK && DblClick) DblClick();
}

bool ListBox::OnSubclassMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
    const LRESULT hit = ::SendMessageA(hwnd_, LB_ITEMFROMPOINT, 0, lParam);
    pressedIndex_ = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
  }
  return Control::OnSubclassMessage(msg, wParam, lParam, result);
}

bool TextBox::Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height, bool visible) {
  RegisterTextBoxClass();
  DWORD style = ES_AUTOHSCROLL | WS_BORDER;
  if (visible) style |= WS_VISIBLE;
  if (!CreateChild(owner, kTextBoxClass, text, style, 0, id, x, y, width, height)) return false;
  ::SendMessageA(hwnd_, EM_SETLIMITTEXT, 0, 0);  // no 32K cap on what may arrive
  return true;
}

void TextBox::OnCommand(int code) {
  if (code == EN_CHANGE && Change) Change();
}

bool TextBox::OnSubclassMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_SETTEXT && maxSetTextBytes_ && lParam) {
    // The subclass procedure may see the text as UTF-16 even in an ANSI window.
    const std::size_t length = ::IsWindowUnicode(hwnd_)
                                   ? ::wcsnlen(reinterpret_cast<const wchar_t*>(lParam), maxSetTextBytes_ + 1)
                                   : ::strnlen(reinterpret_cast<const char*>(lParam), maxSetTextBytes_ + 1);
    if (length > maxSetTextBytes_) {
      result = FALSE;
      return true;
    }
  }
  return Control::OnSubclassMessage(msg, wParam, lParam, result);
}

bool Frame::Create(Form& owner, int id, const std::string& caption, int x, int y, int width, int height) {
  return CreateChild(owner, "BUTTON", caption, WS_VISIBLE | BS_GROUPBOX, 0, id, x, y, width, height);
}

bool OptionButton::Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height,
                          bool firstOfGroup) {
  DWORD style = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
  if (firstOfGroup) style |= WS_GROUP;
  return CreateChild(owner, "BUTTON", text, style, 0, id, x, y, width, height);
}

bool OptionButton::Value() const { return hwnd_ && ::SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void OptionButton::Select() {
  if (!hwnd_ || Value()) return;
  // Clear the rest of the group as a user's click would.
  HWND parent = ::GetParent(hwnd_);
  for (HWND w = ::GetNextDlgGroupItem(parent, hwnd_, FALSE); w && w != hwnd_; w = ::GetNextDlgGroupItem(parent, w, FALSE))
    if ((::GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) ::SendMessageA(w, BM_SETCHECK, BST_UNCHECKED, 0);
  ::SendMessageA(hwnd_, BM_SETCHECK, BST_CHECKED, 0);
  if (Click) Click();
}

void OptionButton::OnCommand(int code) {
  if (code == BN_CLICKED && Value() && Click) Click();
}

bool PictureBox::Create(Form& owner, int id, int x, int y, int width, int height) {
  return CreateChild(owner, "STATIC", "", WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, id, x, y, width, height);
}

void PictureBox::Invalidate() {
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureBox::OnCommand(int code) {
  if (code == STN_CLICKED && Click) Click();
}

void PictureBox::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (Paint) Paint(item.hDC, item.rcItem);
}

// ---- Timer -----------------------------------------------------------------

void Timer::Attach(Form& owner, UINT_PTR id, UINT intervalMs) {
  owner_ = &owner;
  id_ = id;
  interval_ = intervalMs;
  owner.Register(this);
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Apply();
}

void Timer::Start(UINT intervalMs) {
  interval_ = intervalMs;
  SetEnabled(true);
}

void Timer::Apply() {
  if (!owner_ || !owner_->Handle()) return;
  if (enabled_ && interval_ > 0)
    ::SetTimer(owner_->Handle(), id_, interval_, nullptr);  // also restarts a running one
  else
    ::KillTimer(owner_->Handle(), id_);
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

void Form::SetDialogButtons(Control* defaultButton, Control* cancelButton, Control* firstFocus) {
  defaultButton_ = defaultButton;
  cancelButton_ = cancelButton;
  firstFocus_ = firstFocus;
  ShowDefaultButton(::GetFocus());
}

void Form::ShowDefaultButton(HWND focus) {
  // A push button with the focus is the one Enter presses, and looks it;
  // elsewhere the default button does.
  HWND chosen = focus && ::IsChild(hwnd_, focus) && IsPushButton(focus) ? focus
                : defaultButton_                                      ? defaultButton_->hwnd_
                                                                      : nullptr;
  for (auto& [id, c] : controls_) {
    if (!c->hwnd_ || !IsPushButton(c->hwnd_)) continue;
    const LONG want = c->hwnd_ == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((::GetWindowLongA(c->hwnd_, GWL_STYLE) & BS_TYPEMASK) != want) ::SendMessageA(c->hwnd_, BM_SETSTYLE, want, TRUE);
  }
}

bool Form::HandleDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case DM_GETDEFID:
      result = defaultButton_ && defaultButton_->hwnd_ ? MAKELRESULT(defaultButton_->id_, DC_HASDEFID) : 0;
      return true;
    case DM_SETDEFID: {
      auto it = controls_.find(static_cast<int>(wParam));
      defaultButton_ = it != controls_.end() ? it->second : nullptr;
      ShowDefaultButton(::GetFocus());
      result = TRUE;
      return true;
    }
    case WM_NEXTDLGCTL: {
      HWND focus = ::GetFocus();
      HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : ::GetNextDlgTabItem(hwnd_, focus && ::IsChild(hwnd_, focus) ? focus : nullptr,
                                                         wParam != 0);
      if (target) ::SetFocus(target);
      // Keyboard use: show where the focus is.
      ::SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
      result = 0;
      return true;
    }
    case WM_COMMAND: {
      // Enter with no default button, and Esc, arrive as IDOK and IDCANCEL
      // from no control of ours.
      const int id = LOWORD(wParam);
      auto it = controls_.find(id);
      if (it != controls_.end() && lParam && it->second->hwnd_ == reinterpret_cast<HWND>(lParam)) return false;
      Control* press = id == IDCANCEL ? cancelButton_ : id == IDOK ? defaultButton_ : nullptr;
      if (!press || !press->hwnd_) return false;
      if (::IsWindowEnabled(press->hwnd_)) press->OnCommand(BN_CLICKED);
      result = 0;
      return true;
    }
    default:
      return false;
  }
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

bool Form::CanTakeFocus(HWND w) const {
  return w && ::IsWindow(w) && ::IsChild(hwnd_, w) && ::IsWindowVisible(w) && ::IsWindowEnabled(w);
}

bool Form::RestoreFocus() {
  // As the dialog manager does for every form: the keyboard goes back to the
  // control that had it before another window (a dialog, a message box) was
  // active, else to the first control Tab reaches.
  HWND target = CanTakeFocus(lastFocus_) ? lastFocus_ : nullptr;
  if (!target && firstFocus_ && CanTakeFocus(firstFocus_->hwnd_)) target = firstFocus_->hwnd_;
  if (!target) target = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (!CanTakeFocus(target)) return false;
  ::SetFocus(target);
  return true;
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
