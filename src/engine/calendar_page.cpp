#include "engine/calendar_page.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace vd {

namespace {

constexpr std::array<PageStrip, 15> kStrips = {{
    {0, 3, 1, 55},
    {1, 1, 1, 59},
    {2, 1, 1, 60},
    {3, 0, 1, 61},
    {4, 0, 6, 62},
    {10, 0, 2, 8},
    {10, 10, 2, 52},
    {12, 0, 20, 62},
    {32, 0, 3, 8},
    {32, 10, 3, 52},
    {35, 0, 6, 62},
    {40, 0, 1, 61},
    {41, 1, 1, 60},
    {42, 1, 1, 59},
    {43, 3, 1, 54},
}};

bool OnPage(int x, int y) {
  for (const PageStrip& s : kStrips) {
    if (x >= s.x && x < s.x + s.w && y >= s.y && y < s.y + s.h) return true;
  }
  return false;
}

struct Rgb {
  int r, g, b;
};

Rgb Mix(Rgb a, Rgb b, int num, int den) {
  return {a.r + (b.r - a.r) * num / den, a.g + (b.g - a.g) * num / den, a.b + (b.b - a.b) * num / den};
}

Rgb Darker(Rgb c, int percent) {
  return {c.r * (100 - percent) / 100, c.g * (100 - percent) / 100, c.b * (100 - percent) / 100};
}

void Put(ImageView img, int x, int y, Rgb c) {
  std::uint8_t* p = img.Pixel(x, y);
  p[0] = static_cast<std::uint8_t>(std::clamp(c.b, 0, 255));
  p[1] = static_cast<std::uint8_t>(std::clamp(c.g, 0, 255));
  p[2] = static_cast<std::uint8_t>(std::clamp(c.r, 0, 255));
  p[3] = 255;
}

constexpr int kHeaderRows = 14;  // rows 0..13 are the red band
constexpr Rgb kPaper = {252, 251, 246};
constexpr Rgb kPaperEdge = {196, 193, 184};
constexpr Rgb kRedTop = {222, 60, 50};
constexpr Rgb kRedBottom = {176, 26, 22};
constexpr Rgb kRedEdge = {120, 14, 12};

// A binder ring: the wire comes over the top edge and goes into its hole;
// lit from the left.
void DrawRing(ImageView img, int x0, int width) {
  constexpr Rgb kLight = {236, 238, 242};
  constexpr Rgb kDark = {118, 122, 130};
  for (int y = 0; y < 8; ++y) {
    for (int i = 0; i < width; ++i) Put(img, x0 + i, y, Mix(kLight, kDark, i, std::max(1, width - 1)));
  }
  // Shadow of the wire on the band, and the dark rim under the hole.
  for (int y = 1; y < 8; ++y) Put(img, x0 + width, y, Darker(Mix(kRedTop, kRedBottom, y, kHeaderRows - 1), 35));
  for (int i = -1; i <= width; ++i) Put(img, x0 + i, 10, Darker(Mix(kRedTop, kRedBottom, 10, kHeaderRows - 1), 45));
  for (int y = 8; y < 10; ++y) {
    Put(img, x0 - 1, y, Darker(Mix(kRedTop, kRedBottom, y, kHeaderRows - 1), 30));
    Put(img, x0 + width, y, Darker(Mix(kRedTop, kRedBottom, y, kHeaderRows - 1), 30));
  }
}

}  // namespace

std::span<const PageStrip> CalendarPageStrips() { return kStrips; }

void CalendarPageOrigin(int canvasWidth, int& left, int& top) {
  left = canvasWidth - kCalendarPageWidth - kCalendarPageMargin;
  top = kCalendarPageMargin;
}

void StampCalendarPage(ImageView canvas, ConstImageView page) {
  if (canvas.Empty() || page.Empty()) return;
  int left = 0;
  int top = 0;
  CalendarPageOrigin(canvas.width, left, top);
  for (const PageStrip& s : kStrips) {
    // Clip the strip to the page, then to the canvas.
    const int sx0 = s.x;
    const int sx1 = std::min(s.x + s.w, page.width);
    const int sy1 = std::min(s.y + s.h, page.height);
    const int cx0 = std::max(left + sx0, 0);
    const int cx1 = std::min(left + sx1, canvas.width);
    if (cx0 >= cx1) continue;
    for (int sy = s.y; sy < sy1; ++sy) {
      const int cy = top + sy;
      if (cy < 0 || cy >= canvas.height) continue;
      std::uint8_t* dst = canvas.Pixel(cx0, cy);
      std::memcpy(dst, page.Pixel(cx0 - left, sy), 4 * static_cast<std::size_t>(cx1 - cx0));
      for (int x = 0; x < cx1 - cx0; ++x) dst[4 * x + 3] = 255;
    }
  }
}

Image MakeCalendarPageArt() {
  Image art(kCalendarPageWidth, kCalendarPageHeight);
  ImageView v = art.View();
  for (int y = 0; y < kCalendarPageHeight; ++y) {
    for (int x = 0; x < kCalendarPageWidth; ++x) {
      Rgb c = kPaper;
      if (y < kHeaderRows) {
        c = Mix(kRedTop, kRedBottom, y, kHeaderRows - 1);
        if (y == 1) c = Mix(c, Rgb{255, 255, 255}, 1, 5);  // a soft highlight
        if (y == kHeaderRows - 1) c = kRedEdge;
      } else if (y == kHeaderRows) {
        c = Darker(kPaper, 9);  // shadow under the band
      } else if (y >= kCalendarPageHeight - 4) {
        c = Darker(kPaper, 2 * (y - (kCalendarPageHeight - 5)));  // the page curls away at the foot
      }
      const bool edge = OnPage(x, y) && (!OnPage(x - 1, y) || !OnPage(x + 1, y) || !OnPage(x, y - 1) ||
                                         !OnPage(x, y + 1) || x == 0 || x == kCalendarPageWidth - 1 ||
                                         y == kCalendarPageHeight - 1);
      if (edge) c = y < kHeaderRows ? kRedEdge : kPaperEdge;
      Put(v, x, y, c);
    }
  }
  // A faint rule between the day and the month.
  for (int x = 9; x <= 34; ++x) Put(v, x, 40, Darker(kPaper, 6));
  DrawRing(v, 10, 2);
  DrawRing(v, 32, 3);
  return art;
}

}  // namespace vd
