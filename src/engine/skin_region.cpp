#include "engine/skin_region.h"

#include <cstring>
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

std::vector<RegionRect> ScaleRegionRects(const std::vector<RegionRect>& rects, int width, int height, int scaledWidth,
                                         int scaledHeight) {
  std::vector<RegionRect> out;
  if (width <= 0 || height <= 0 || scaledWidth <= 0 || scaledHeight <= 0) return out;
  // Scaled pixel d shows source pixel floor(d * size / scaled); so source
  // pixels [a, b) fill the scaled pixels [ceil(a * scaled / size), ceil(b * scaled / size)).
  auto up = [](int a, int size, int scaled) {
    return static_cast<int>((static_cast<std::int64_t>(a) * scaled + size - 1) / size);
  };
  out.reserve(rects.size());
  for (const RegionRect& r : rects) {
    RegionRect s{up(r.left, width, scaledWidth), up(r.top, height, scaledHeight), up(r.right, width, scaledWidth),
                 up(r.bottom, height, scaledHeight)};
    if (s.left < s.right && s.top < s.bottom) out.push_back(s);
  }
  return out;
}

Image ScaleNearest(ConstImageView source, int width, int height) {
  Image out(width, height);
  if (source.Empty() || out.Empty()) return out;
  ImageView dst = out.View();
  std::vector<int> columns(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x)
    columns[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<std::int64_t>(x) * source.width / width);
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>(static_cast<std::int64_t>(y) * source.height / height);
    const std::uint8_t* from = source.Row(sy);
    std::uint8_t* to = dst.Row(y);
    for (int x = 0; x < width; ++x) std::memcpy(to + 4 * x, from + 4 * columns[static_cast<std::size_t>(x)], 4);
  }
  return out;
}

}  // namespace vd
