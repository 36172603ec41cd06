// Shaped windows: the outline cut from a skin picture drawn at the window's
// DPI, and the drag that moves a window without a caption.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/image.h"

// Sizes the window to the skin and cuts the window's region from it: every
// pixel that does not have the key colour belongs to the window. A keyColour
// below 1 (0x00BBGGRR) means the colour of the top-left pixel and is written
// back. A null form only makes the region (and drops it).
void ApplySkinRegion(HWND form, const vd::Image& skin, std::int32_t& keyColour);

// The DPI the window is shown at.
UINT WindowDpi(HWND window);

// Lets the system move the window as if its caption had been grabbed.
void DragWindow(HWND window);
