// The Windows benchmarks find VD's windows as another program would.
#pragma once

#include <windows.h>

// The top-level window of that class and title that belongs to process pid.
inline HWND ProcessWindow(DWORD pid, const char* cls, const char* title) {
  HWND w = nullptr;
  while ((w = ::FindWindowExA(nullptr, w, cls, title)) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}
