#include "platform/message_window.h"

#include <utility>

namespace platform {

MessageWindow::MessageWindow(const char* className, Handler handler) : handler_(std::move(handler)) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &MessageWindow::Proc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  ::RegisterClassA(&wc);  // fails harmlessly when a second object registers it again
  window_.Reset(::CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
  if (window_) ::SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageWindow::~MessageWindow() {
  // Whatever the window still gets while it is being destroyed finds no object.
  if (window_) ::SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK MessageWindow::Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
  if (self && self->handler_) {
    LRESULT result = 0;
    try {
      if (self->handler_(msg, wParam, lParam, result)) return result;
    } catch (...) {
      // A handler that failed leaves the others and the program running.
      return 0;
    }
  }
  return ::DefWindowProcA(h, msg, wParam, lParam);
}

}  // namespace platform
