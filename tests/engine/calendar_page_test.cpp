#include "engine/calendar_page.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "pixel_test_support.h"

namespace vd {
namespace {

using test::Bgra;
const Bgra kWallpaper = {11, 22, 33, 255};

// A page whose every pixel tells its position (4th byte 0, as GDI text
// leaves it, so the test sees that stamped pixels are made opaque).
Image CodedPage() { return test::CodedImage(kCalendarPageWidth, kCalendarPageHeight, 250, 0); }

Bgra Coded(int x, int y) { return {x, y, 250, 255}; }

struct Canvas : test::PaddedCanvas {
  Canvas(int w, int h) : PaddedCanvas(w, h, 12, 0xEE) { Paint(kWallpaper); }
};

// The page's outline as rows covered per column: corners cut, and the ring
// holes at rows 8 and 9 of columns 10-11 and 32-34.
bool OnPage(int x, int y) {
  struct Run {
    int x0, x1, y0, y1;  // inclusive
  };
  static const Run runs[] = {
      {0, 0, 3, 57},   {1, 1, 1, 59},   {2, 2, 1, 60},   {3, 3, 0, 60},  {4, 9, 0, 61},   {10, 11, 0, 7},
      {10, 11, 10, 61}, {12, 31, 0, 61}, {32, 34, 0, 7},  {32, 34, 10, 61}, {35, 40, 0, 61}, {41, 41, 1, 60},
      {42, 42, 1, 59}, {43, 43, 3, 56},
  };
  for (const Run& r : runs) {
    if (x >= r.x0 && x <= r.x1 && y >= r.y0 && y <= r.y1) return true;
  }
  return false;
}

TEST(CalendarPageTest, StripsAreTheFifteenOfThePageLayout) {
  const std::array<PageStrip, 15> expected = {{{0, 3, 1, 55},
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
                                               {43, 3, 1, 54}}};
  const auto strips = CalendarPageStrips();
  ASSERT_EQ(strips.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(strips[i].x, expected[i].x) << "strip " << i + 1;
    EXPECT_EQ(strips[i].y, expected[i].y) << "strip " << i + 1;
    EXPECT_EQ(strips[i].w, expected[i].w) << "strip " << i + 1;
    EXPECT_EQ(strips[i].h, expected[i].h) << "strip " << i + 1;
  }
}

TEST(CalendarPageTest, OriginIsSixteenPixelsFromTopAndRight) {
  int left = 0;
  int top = 0;
  CalendarPageOrigin(1024, left, top);
  EXPECT_EQ(left, 964);
  EXPECT_EQ(top, 16);
  CalendarPageOrigin(3840, left, top);
  EXPECT_EQ(left, 3780);
  EXPECT_EQ(top, 16);
}

TEST(CalendarPageTest, StampCopiesStripsAndKeepsWallpaperInCornersAndHoles) {
  Canvas canvas(1024, 768);
  const Image page = CodedPage();
  StampCalendarPage(canvas.View(), page.View());
  int copied = 0;
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const int px = x - 964;
      const int py = y - 16;
      if (px >= 0 && px < 44 && py >= 0 && py < 62 && OnPage(px, py)) {
        ASSERT_EQ(canvas.At(x, y), Coded(px, py)) << x << "," << y;
        ++copied;
      } else {
        ASSERT_EQ(canvas.At(x, y), kWallpaper) << x << "," << y;
      }
    }
  }
  // 44 x 62 less 36 pixels: 7 + 3 + 2 + 1 at the left corners, 2 + 3 + 8 at
  // the right ones, 4 + 6 in the holes.
  EXPECT_EQ(copied, 44 * 62 - 36);
  // The places named in the layout, spelled out.
  for (auto [px, py] : {std::array{10, 8}, std::array{11, 9}, std::array{32, 8}, std::array{34, 9}, std::array{0, 0},
                        std::array{0, 2}, std::array{43, 2}, std::array{43, 57}, std::array{0, 61}, std::array{3, 61}}) {
    EXPECT_EQ(canvas.At(964 + px, 16 + py), kWallpaper) << px << "," << py;
  }
  EXPECT_EQ(canvas.At(964, 16 + 3), Coded(0, 3));
  EXPECT_EQ(canvas.At(1007, 77), kWallpaper);  // bottom-right corner cut
  EXPECT_EQ(canvas.At(1004, 77), Coded(40, 61));
  canvas.ExpectPaddingUntouched();
}

TEST(CalendarPageTest, StampIsClippedToSmallCanvases) {
  const Image page = CodedPage();
  struct Case {
    int w, h;
  };
  for (const Case c : {Case{30, 20}, Case{10, 10}, Case{60, 40}, Case{1, 100}, Case{70, 78}}) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
    Canvas canvas(c.w, c.h);
    StampCalendarPage(canvas.View(), page.View());
    const int left = c.w - 60;
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        const int px = x - left;
        const int py = y - 16;
        const bool on = px >= 0 && px < 44 && py >= 0 && py < 62 && OnPage(px, py);
        ASSERT_EQ(canvas.At(x, y), on ? Coded(px, py) : kWallpaper) << x << "," << y;
      }
    }
    canvas.ExpectPaddingUntouched();
  }
}

TEST(CalendarPageTest, SmallerPageIsClippedToItsOwnSize) {
  Canvas canvas(200, 100);
  const Image page = CodedPage();
  const ConstImageView part{page.View().data, 20, 30, page.View().stride};
  StampCalendarPage(canvas.View(), part);
  EXPECT_EQ(canvas.At(140 + 19, 16 + 29), Coded(19, 29));
  EXPECT_EQ(canvas.At(140 + 20, 16 + 29), kWallpaper);
  EXPECT_EQ(canvas.At(140 + 19, 16 + 30), kWallpaper);
}

TEST(CalendarPageTest, ArtHasRedHeaderRingsAndRoomForTheTexts) {
  const Image art = MakeCalendarPageArt();
  ASSERT_EQ(art.Width(), kCalendarPageWidth);
  ASSERT_EQ(art.Height(), kCalendarPageHeight);
  const ConstImageView v = art.View();
  auto bgra = [&](int x, int y) {
    const std::uint8_t* p = v.Pixel(x, y);
    return Bgra{p[0], p[1], p[2], p[3]};
  };
  for (int y = 0; y < kCalendarPageHeight; ++y) {
    for (int x = 0; x < kCalendarPageWidth; ++x) ASSERT_EQ(bgra(x, y)[3], 255) << x << "," << y;
  }
  // The band: clearly red across the page, clear of the rings.
  for (int y = 2; y <= 11; ++y) {
    for (int x : {6, 20, 27, 38}) {
      const Bgra c = bgra(x, y);
      EXPECT_GT(c[2], 150) << x << "," << y;
      EXPECT_GT(c[2], c[1] + 80) << x << "," << y;
      EXPECT_GT(c[2], c[0] + 80) << x << "," << y;
    }
  }
  // The rings: grey metal over the band above each hole.
  for (int x : {10, 11, 32, 33, 34}) {
    const Bgra c = bgra(x, 4);
    EXPECT_LT(std::abs(c[2] - c[0]), 30) << "ring column " << x;
    EXPECT_GT(c[1], 90) << "ring column " << x;
  }
  // Where the day (rows 12-40) and month (rows 42-57) are written: light paper, below the band.
  for (int y = 15; y <= 57; ++y) {
    for (int x = 4; x <= 39; ++x) {
      const Bgra c = bgra(x, y);
      EXPECT_GT(c[0], 215) << x << "," << y;
      EXPECT_GT(c[1], 215) << x << "," << y;
      EXPECT_GT(c[2], 215) << x << "," << y;
    }
  }
  // A slightly darker edge around the paper.
  EXPECT_LT(bgra(0, 30)[1], bgra(20, 30)[1]);
  EXPECT_LT(bgra(43, 30)[1], bgra(20, 30)[1]);
  EXPECT_LT(bgra(20, 61)[1], bgra(20, 30)[1]);
}

}  // namespace
}  // namespace vd
