// Dialog keys: Tab, Enter and Esc in forms that ask for them, the default
// push button, and the focus given back when a form is active again.
#include "forms/forms.h"

#include <cstring>

namespace forms {

namespace {

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

}  // namespace

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

}  // namespace forms
