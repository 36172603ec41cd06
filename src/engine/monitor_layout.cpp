#include "engine/monitor_layout.h"

#include <algorithm>
#include <cstring>

namespace vd {

Rect VirtualScreen(const std::vector<Monitor>& monitors) {
  if (monitors.empty()) return {};
  int left = monitors[0].rect.x, top = monitors[0].rect.y;
  int right = left + monitors[0].rect.width, bottom = top + monitors[0].rect.height;
  for (const Monitor& m : monitors) {
    left = std::min(left, m.rect.x);
    top = std::min(top, m.rect.y);
    right = std::max(right, m.rect.x + m.rect.width);
    bottom = std::max(bottom, m.rect.y + m.rect.height);
  }
  return {left, top, right - left, bottom - top};
}

std::vector<Monitor> OnBitmap(const std::vector<Monitor>& monitors) {
  const Rect screen = VirtualScreen(monitors);
  std::vector<Monitor> out = monitors;
  for (Monitor& m : out) {
    m.rect.x -= screen.x;
    m.rect.y -= screen.y;
  }
  std::stable_sort(out.begin(), out.end(), [](const Monitor& a, const Monitor& b) {
    return a.rect.x != b.rect.x ? a.rect.x < b.rect.x : a.rect.y < b.rect.y;
  });
  return out;
}

std::size_t PrimaryPictureIndex(const std::vector<Monitor>& monitors, std::size_t pictures) {
  const std::vector<Monitor> placed = OnBitmap(monitors);
  for (std::size_t i = 1; i < placed.size() && pictures > 1; ++i)
    if (placed[i].primary) return 1 + (i - 1) % (pictures - 1);
  return 0;
}

ImageView SubView(ImageView canvas, const Rect& rect) {
  const int left = std::max(rect.x, 0), top = std::max(rect.y, 0);
  const int right = std::min(rect.x + rect.width, canvas.width), bottom = std::min(rect.y + rect.height, canvas.height);
  if (canvas.Empty() || left >= right || top >= bottom) return {};
  return {canvas.Pixel(left, top), right - left, bottom - top, canvas.stride};
}

void RollToOrigin(ImageView canvas, int originX, int originY) {
  if (canvas.Empty() || canvas.stride != static_cast<std::ptrdiff_t>(canvas.width) * 4) return;
  const int dx = ((originX % canvas.width) + canvas.width) % canvas.width;
  const int dy = ((originY % canvas.height) + canvas.height) % canvas.height;
  if (dx != 0) {
    for (int y = 0; y < canvas.height; ++y) std::rotate(canvas.Row(y), canvas.Row(y) + 4 * dx, canvas.Row(y) + canvas.stride);
  }
  if (dy != 0) std::rotate(canvas.data, canvas.Row(dy), canvas.Row(canvas.height));
}

}  // namespace vd
