// Several monitors: where each one's part of the one wallpaper bitmap lies,
// and which picture each one shows.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/compose.h"
#include "engine/image.h"

namespace vd {

struct Monitor {
  Rect rect;  // in screen coordinates; the primary monitor's top-left is 0,0
  bool primary = false;
};

// The bounding rectangle of the monitors: the virtual screen.
Rect VirtualScreen(const std::vector<Monitor>& monitors);

// The monitors in the order they take pictures: left to right, then top to
// bottom; each rectangle moved onto the bitmap, whose origin is the virtual
// screen's top-left corner.
std::vector<Monitor> OnBitmap(const std::vector<Monitor>& monitors);

// Of the pictures a change put up (the monitors in OnBitmap's order take the
// first, then the others in turn), the one the primary monitor shows; 0 for
// a single picture or when no monitor is the primary one.
std::size_t PrimaryPictureIndex(const std::vector<Monitor>& monitors, std::size_t pictures);

// The part of the canvas inside rect, clipped to it; empty when none is.
ImageView SubView(ImageView canvas, const Rect& rect);

// For systems without the span position: tiled from the screen's origin
// (the primary monitor's top-left), the bitmap rolled so that origin's pixel
// comes first shows every monitor its own part. origin is that pixel's place
// on the bitmap. The canvas must have tightly packed rows.
void RollToOrigin(ImageView canvas, int originX, int originY);

}  // namespace vd
