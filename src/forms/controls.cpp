// The control base (a subclassed child window with event slots), the
// controls built on it, and the form's timers.
#include "forms/forms.h"
#include "forms/forms_internal.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwchar>

namespace forms {

namespace {

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

}  // namespace

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

}  // namespace forms
