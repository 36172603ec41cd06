// The outline of a skinned window: every pixel of the skin picture that does
// not have the key colour belongs to the window.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/image.h"

namespace vd {

struct RegionRect {
  int left, top, right, bottom;  // right and bottom exclusive
  bool operator==(const RegionRect&) const = default;
};

// The colour of a pixel without its alpha byte, as 0x00RRGGBB.
std::uint32_t PixelColour(ConstImageView image, int x, int y);

// The skin's opaque pixels as rectangles in y-x bands, the order a region
// is built from: one rectangle per run of non-key pixels in a row, and
// consecutive rows with the same runs sharing one band. Empty when every
// pixel has the key colour.
std::vector<RegionRect> SkinRegionRects(ConstImageView skin, std::uint32_t keyColour);

// The region of the skin scaled from width x height to scaledWidth x
// scaledHeight by ScaleNearest, made from the rectangles of the unscaled skin:
// the same pixels, without scanning the larger picture.
std::vector<RegionRect> ScaleRegionRects(const std::vector<RegionRect>& rects, int width, int height, int scaledWidth,
                                         int scaledHeight);

// The skin at another size, each pixel copied from its nearest source pixel,
// so that the key colour stays exact.
Image ScaleNearest(ConstImageView source, int width, int height);

}  // namespace vd
