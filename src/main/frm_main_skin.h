// The main window's skin, shared by its window code (size, background) and
// its painting.
#pragma once

#include <windows.h>

#include "engine/image.h"

constexpr COLORREF kPanelColor = RGB(236, 240, 245);
// The skin at 96 DPI: the panel with rounded corners and a border in the
// accent colour, the window's whole content; magenta lies outside the window.
constexpr int kSkinWidth = 440, kSkinHeight = 262;

// The skin drawn at the window's DPI rather than scaled up, so that its
// outline and border stay as fine as at 100 %.
vd::Image DrawSkin(UINT dpi);
