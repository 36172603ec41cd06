// The wallpaper style suggested for a picture, and the picture's info text.
#pragma once

#include <string>

namespace vd {

// Style codes, the indexes of the style list.
constexpr int kStyleCentered = 0;
constexpr int kStyleTiled = 1;
constexpr int kStyleStretched = 2;
constexpr int kStyleFill = 3;  // scaled to cover the screen, the overflow cut equally on both sides
constexpr int kStyleFit = 4;   // scaled to fit inside the screen, the rest in the desktop's colour

// The "WallpaperStyle" value written for a style. Fill and Fit are composed at
// the screen's size, so the system's own Fill ("10") and Fit ("6") show the
// bitmap unchanged.
int DesktopStyleValue(int style);
// The style a stored "WallpaperStyle" value names at start: the five styles'
// own values. Any other value (the system's Span "22" among them) names none,
// and the suggested style is used.
int StyleOfDesktopValue(int value);

// The style for a picture shown in a picture box of boxWidthPx x boxHeightPx
// (the picture plus a 2-pixel border on each side) on a screen of the given
// size: Tiled when it covers less than about half the screen's width or
// height; when its shape is about the screen's, Stretched if the picture's
// own width/height (the box without its border) is within 2 % of the
// screen's, else Fill (proportions kept, the excess cut equally); else
// Centered, or Fit when the picture itself is wider or taller than the screen.
int SuggestStyle(int boxWidthPx, int boxHeightPx, int screenWidthPx, int screenHeightPx);

// The three lines of the picture's Properties box: file name, the picture's
// own size (the box without its border) and the suggested style's name.
std::string ImageInfoMessage(const std::string& fullPath, int boxWidthPx, int boxHeightPx,
                             const std::string& styleName);

}  // namespace vd
