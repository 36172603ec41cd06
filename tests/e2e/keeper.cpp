// Holds the Wine session open while the tests run: the virtual desktop
// closes a moment after the last program on it ends, and a program counts
// only once it has a window there, so the keeper makes a hidden one.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HWND anchor = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "vd-e2e-keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
  MSG msg;
  while (anchor && ::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  if (!anchor) ::Sleep(INFINITE);
  return 0;
}
