// Shaped windows: the outline cut from a skin picture, and the drag that
// moves a window without a caption.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/image.h"

// Scales the skin to dpi (96 = its own size), sizes the window to it and cuts
// the window's region from it: every pixel that does not have the key colour
// belongs to the window. A keyColour below 1 (0x00BBGGRR) means the colour of
// the top-left pixel and is written back. Returns the scaled skin, which the
// window paints as its background; empty when the skin cannot be read.
vd::Image ApplySkinRegion(HWND form, HBITMAP skin, std::int32_t& keyColour, UINT dpi);

// The DPI the window is shown at.
UINT WindowDpi(HWND window);

// Lets the system move the window as if its caption had been grabbed.
void DragWindow(HWND window);
