// The wallpaper style suggested for a picture, and the picture's info text.
#pragma once

#include <string>

namespace vd {

// Style codes, the indexes of the style list.
constexpr int kStyleCentered = 0;
constexpr int kStyleTiled = 1;
constexpr int kStyleStretched = 2;

// The style for a picture shown in a picture box of boxWidthPx x boxHeightPx
// (the picture plus a 2-pixel border on each side) on a screen of the given
// size: Tiled when it covers less than about half the screen's width or
// height, Stretched when its shape is close to the screen's, else Centered.
int SuggestStyle(int boxWidthPx, int boxHeightPx, int screenWidthPx, int screenHeightPx);

// The three lines of the picture's Properties box: file name, the picture's
// own size (the box without its border) and the suggested style's name.
std::string ImageInfoMessage(const std::string& fullPath, int boxWidthPx, int boxHeightPx,
                             const std::string& styleName);

}  // namespace vd
