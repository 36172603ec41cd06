#include "engine/style_rule.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vd {

namespace {

constexpr std::int64_t kTwipsPerPixel = 15;
// The preview frame that stands for the whole screen, in twips (4:3).
constexpr std::int64_t kFrameWidth = 2100;
constexpr std::int64_t kFrameHeight = 1575;

}  // namespace

int SuggestStyle(int boxWidthPx, int boxHeightPx, int screenWidthPx, int screenHeightPx) {
  if (screenWidthPx <= 0 || screenHeightPx <= 0) return kStyleTiled;
  // Whole twips, truncated as the preview frame measures them. 64-bit so a
  // picture many times the screen's size is still judged by its shape.
  const std::int64_t pw = boxWidthPx * kTwipsPerPixel * kFrameWidth / (screenWidthPx * kTwipsPerPixel);
  const std::int64_t ph = boxHeightPx * kTwipsPerPixel * kFrameHeight / (screenHeightPx * kTwipsPerPixel);
  // Too small to measure: it can only be tiled.
  if (pw <= 0 || ph <= 0) return kStyleTiled;
  const double w = static_cast<double>(pw);
  const double h = static_cast<double>(ph);
  if (kFrameWidth / w > 1.9 || kFrameHeight / h > 1.9) return kStyleTiled;
  const double shape = h / w;
  const int pictureWidth = boxWidthPx - 4, pictureHeight = boxHeightPx - 4;
  if (shape > 0.645 && shape < 0.86) {
    // Stretching distorts a picture by as much as its shape differs from the
    // screen's; beyond 2 % circles visibly become ellipses, so the picture is
    // scaled keeping its proportions and the small excess cut instead.
    if (pictureWidth <= 0 || pictureHeight <= 0) return kStyleStretched;
    const double pictureShape = static_cast<double>(pictureWidth) / pictureHeight;
    const double screenShape = static_cast<double>(screenWidthPx) / screenHeightPx;
    return std::abs(pictureShape / screenShape - 1.0) <= 0.02 ? kStyleStretched : kStyleFill;
  }
  // Centred, a picture larger than the screen would show only its middle:
  // fitted, it shows whole and undistorted, as a smaller one does centred.
  if (pictureWidth > screenWidthPx || pictureHeight > screenHeightPx) return kStyleFit;
  return kStyleCentered;
}

std::string ImageInfoMessage(const std::string& fullPath, int boxWidthPx, int boxHeightPx,
                             const std::string& styleName) {
  return "Filename             : " + fullPath + "\r\n" + "Dimensions         : " + std::to_string(std::max(boxWidthPx - 4, 0)) +
         "x" + std::to_string(std::max(boxHeightPx - 4, 0)) + "\r\n" + "Suggested Style : " + styleName;
}

int DesktopStyleValue(int style) {
  switch (style) {
    case kStyleFill:
      return 10;
    case kStyleFit:
      return 6;
    default:
      return style;
  }
}

int StyleOfDesktopValue(int value) {
  switch (value) {
    case kStyleCentered:
    case kStyleTiled:
    case kStyleStretched:
      return value;
    case 10:
      return kStyleFill;
    case 6:
      return kStyleFit;
    default:
      return -1;
  }
}

}  // namespace vd
