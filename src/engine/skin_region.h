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

// The main window's skin drawn at its size in pixels: a panel with rounded
// corners of the given radius and a border of the given width, on the key
// colour. A pixel belongs to a rounded rectangle when its centre lies inside
// it, so the outline is as fine at 200 % as at 100 %. Colours are 0x00RRGGBB.
struct PanelSkinLook {
  int radius = 0;
  int border = 0;
  std::uint32_t key = 0, borderColour = 0, panelColour = 0;
};
Image DrawPanelSkin(int width, int height, const PanelSkinLook& look);

}  // namespace vd
