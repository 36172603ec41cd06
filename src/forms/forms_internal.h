// What the forms layer's own files share; nothing outside src/forms includes it.
#pragma once

#include <windows.h>

#include "forms/forms.h"

namespace forms {

inline HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

// The window's outer size for a client area of width x height at dpi.
RECT OuterRect(int width, int height, DWORD style, DWORD exStyle, UINT dpi);

// A mouse message's position, buttons and shift keys, as handlers get them.
MouseArgs MouseFrom(UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace forms
