// A message-only window whose procedure finds the object that made it: for
// parts that get answers from other threads as posted messages (the picture
// worker's results, the background lanes' mailbox).
#pragma once

#include <windows.h>

#include <functional>

#include "base/handles.h"

namespace platform {

class MessageWindow {
 public:
  // Takes every message the window gets; what it leaves is DefWindowProc's.
  using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

  // Creates the window on the calling thread, which must be the one that
  // pumps its messages. className is registered once per process.
  MessageWindow(const char* className, Handler handler);
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  // The window goes with its object: a message posted later is discarded by
  // the system, not delivered to freed memory.
  ~MessageWindow();

  HWND Handle() const { return window_.Get(); }
  // False when the window could not be made.
  explicit operator bool() const { return static_cast<bool>(window_); }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
  Handler handler_;
  base::WindowHandle window_;
};

}  // namespace platform
