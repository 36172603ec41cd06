// Shaped windows: the outline cut from a skin picture, and the drag that
// moves a window without a caption.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/image.h"

// The skin picture's pixels, read in one call; empty when it cannot be read.
vd::Image ReadSkin(HBITMAP skin);

// The size of the skin at dpi (96 = its own size).
SIZE SkinSize(const vd::Image& skin, UINT dpi);

// Sizes the window to the skin at dpi and cuts the window's region from it:
// every pixel that does not have the key colour belongs to the window, as
// ScaleNearest shows the skin at that size. A keyColour below 1 (0x00BBGGRR)
// means the colour of the top-left pixel and is written back. A null form
// only makes the region (and drops it).
void ApplySkinRegion(HWND form, const vd::Image& skin, std::int32_t& keyColour, UINT dpi);

// The DPI the window is shown at.
UINT WindowDpi(HWND window);

// Lets the system move the window as if its caption had been grabbed.
void DragWindow(HWND window);
