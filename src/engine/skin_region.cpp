#include "engine/skin_region.h"

#include <algorithm>
#include <utility>

namespace vd {

namespace {

std::uint32_t ColourAt(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16;
}

using Runs = std::vector<std::pair<int, int>>;

void RowRuns(ConstImageView skin, int y, std::uint32_t key, Runs& runs) {
  runs.clear();
  const std::uint8_t* row = skin.Row(y);
  int x = 0;
  while (x < skin.width) {
    while (x < skin.width && ColourAt(row + 4 * x) == key) ++x;
    if (x >= skin.width) break;
    int start = x;
    while (x < skin.width && ColourAt(row + 4 * x) != key) ++x;
    runs.emplace_back(start, x);
  }
}

}  // namespace

std::uint32_t PixelColour(ConstImageView image, int x, int y) { return ColourAt(image.Pixel(x, y)); }

std::vector<RegionRect> SkinRegionRects(ConstImageView skin, std::uint32_t keyColour) {
  std::vector<RegionRect> rects;
  if (skin.Empty()) return rects;
  keyColour &= 0x00FFFFFF;
  Runs band, row;
  int bandTop = 0;
  auto flush = [&](int bottom) {
    for (const auto& [l, r] : band) rects.push_back({l, bandTop, r, bottom});
  };
  for (int y = 0; y < skin.height; ++y) {
    RowRuns(skin, y, keyColour, row);
    if (y > 0 && row == band) continue;  // the band grows by this row
    flush(y);
    std::swap(band, row);
    bandTop = y;
  }
  flush(skin.height);
  return rects;
}

namespace {

// Whether the centre of pixel (x, y) lies inside the rectangle [left, right) x
// [top, bottom) with corners rounded to radius r.
bool InsideRounded(int x, int y, int left, int top, int right, int bottom, int r) {
  if (x < left || y < top || x >= right || y >= bottom) return false;
  if (r <= 0) return true;
  // Twice the coordinates, so that pixel centres are whole numbers.
  const long long px = 2LL * x + 1, py = 2LL * y + 1;
  const long long cx = px < 2LL * (left + r) ? 2LL * (left + r) : px > 2LL * (right - r) ? 2LL * (right - r) : px;
  const long long cy = py < 2LL * (top + r) ? 2LL * (top + r) : py > 2LL * (bottom - r) ? 2LL * (bottom - r) : py;
  return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= 4LL * r * r;
}

void Put(std::uint8_t* p, std::uint32_t rgb) {
  p[0] = static_cast<std::uint8_t>(rgb);
  p[1] = static_cast<std::uint8_t>(rgb >> 8);
  p[2] = static_cast<std::uint8_t>(rgb >> 16);
  p[3] = 0xFF;
}

}  // namespace

Image DrawPanelSkin(int width, int height, const PanelSkinLook& look) {
  Image skin(width, height);
  if (skin.Empty()) return skin;
  const int r = std::max(0, std::min({look.radius, width / 2, height / 2}));
  const int b = std::max(0, look.border);
  const int inner = std::max(0, r - b);
  ImageView v = skin.View();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t c = look.key;
      if (InsideRounded(x, y, b, b, width - b, height - b, inner))
        c = look.panelColour;
      else if (InsideRounded(x, y, 0, 0, width, height, r))
        c = look.borderColour;
      Put(v.Pixel(x, y), c);
    }
  }
  return skin;
}

}  // namespace vd
