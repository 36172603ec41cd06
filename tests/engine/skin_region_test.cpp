#include "engine/skin_region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace vd {
namespace {

constexpr std::uint32_t kKey = 0xFF00FF;

// A skin drawn from text rows: '.' is the key colour, any other character opaque.
Image SkinFrom(const std::vector<std::string>& rows) {
  Image img(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  ImageView v = img.View();
  for (int y = 0; y < v.height; ++y) {
    for (int x = 0; x < v.width; ++x) {
      std::uint8_t* p = v.Pixel(x, y);
      const bool key = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '.';
      p[0] = key ? 0xFF : 0x40;  // B
      p[1] = key ? 0x00 : 0x80;  // G
      p[2] = key ? 0xFF : 0xC0;  // R
      p[3] = static_cast<std::uint8_t>(x * 7);  // alpha never counts
    }
  }
  return img;
}

// How many rectangles cover each pixel.
std::vector<int> Coverage(const std::vector<RegionRect>& rects, int w, int h) {
  std::vector<int> c(static_cast<std::size_t>(w * h));
  for (const RegionRect& r : rects) {
    EXPECT_LT(r.left, r.right);
    EXPECT_LT(r.top, r.bottom);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) ++c[static_cast<std::size_t>(y * w + x)];
  }
  return c;
}

// Every opaque pixel covered exactly once, every key pixel not at all, and
// the rectangles in y-x bands (a band's rectangles share top and bottom,
// sorted left to right without touching; bands sorted top to bottom).
void ExpectExactBandedRegion(ConstImageView skin, const std::vector<RegionRect>& rects) {
  std::vector<int> c = Coverage(rects, skin.width, skin.height);
  for (int y = 0; y < skin.height; ++y)
    for (int x = 0; x < skin.width; ++x)
      ASSERT_EQ(c[static_cast<std::size_t>(y * skin.width + x)], PixelColour(skin, x, y) == kKey ? 0 : 1)
          << "pixel " << x << "," << y;
  for (std::size_t i = 1; i < rects.size(); ++i) {
    const RegionRect &a = rects[i - 1], &b = rects[i];
    if (a.top == b.top) {
      EXPECT_EQ(a.bottom, b.bottom);
      EXPECT_LT(a.right, b.left);
    } else {
      EXPECT_LE(a.bottom, b.top);
    }
  }
}

TEST(SkinRegionTest, RowsWithHolesFullRowsAndEmptyRows) {
  Image skin = SkinFrom({
      "..####..",  // rounded top
      "########",  // a full row: one rectangle of the full width
      "########",  // the same runs: the band grows
      "##.##.##",  // holes inside the picture
      "........",  // a row of key colour adds nothing
      "#......#",
  });
  std::vector<RegionRect> rects = SkinRegionRects(skin.View(), kKey);
  const std::vector<RegionRect> expected = {
      {2, 0, 6, 1}, {0, 1, 8, 3}, {0, 3, 2, 4}, {3, 3, 5, 4}, {6, 3, 8, 4}, {0, 5, 1, 6}, {7, 5, 8, 6},
  };
  EXPECT_EQ(rects, expected);
  ExpectExactBandedRegion(skin.View(), rects);
}

TEST(SkinRegionTest, AllKeyColourGivesAnEmptyRegionAndNoKeyColourOneRectangle) {
  Image empty = SkinFrom({"....", "....", "...."});
  EXPECT_TRUE(SkinRegionRects(empty.View(), kKey).empty());
  Image full = SkinFrom({"###", "###"});
  EXPECT_EQ(SkinRegionRects(full.View(), kKey), (std::vector<RegionRect>{{0, 0, 3, 2}}));
  EXPECT_TRUE(SkinRegionRects(ConstImageView(), kKey).empty());
}

TEST(SkinRegionTest, KeyComparesColourExactlyAndIgnoresAlpha) {
  Image skin = SkinFrom({"..#"});
  std::uint8_t* p = skin.View().Pixel(0, 0);
  p[1] = 0x01;  // one step off the key colour is opaque
  EXPECT_EQ(SkinRegionRects(skin.View(), kKey), (std::vector<RegionRect>{{0, 0, 1, 1}, {2, 0, 3, 1}}));
  EXPECT_EQ(SkinRegionRects(skin.View(), 0xAAFF00FF), (std::vector<RegionRect>{{0, 0, 1, 1}, {2, 0, 3, 1}}))
      << "the high byte of the key is not a colour";
}

TEST(SkinRegionTest, RandomSkinsAreCoveredExactly) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    const int w = 1 + static_cast<int>(random() % 40), h = 1 + static_cast<int>(random() % 30);
    std::vector<std::string> rows(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), '#'));
    const unsigned keyShare = random() % 4;  // from none to mostly key colour
    for (auto& row : rows)
      for (char& c : row)
        if (random() % 4 < keyShare) c = '.';
    if (round % 3 == 0 && h > 2) rows[1] = rows[0];  // repeated rows make bands
    Image skin = SkinFrom(rows);
    SCOPED_TRACE(round);
    ExpectExactBandedRegion(skin.View(), SkinRegionRects(skin.View(), kKey));
  }
}

TEST(SkinRegionTest, DoubleScaleDoublesEveryRectangle) {
  Image skin = SkinFrom({"..##", "####", "#..#"});
  Image big = ScaleNearest(skin.View(), 8, 6);
  ASSERT_EQ(big.Width(), 8);
  std::vector<RegionRect> small = SkinRegionRects(skin.View(), kKey), large = SkinRegionRects(big.View(), kKey);
  ASSERT_EQ(small.size(), large.size());
  for (std::size_t i = 0; i < small.size(); ++i) {
    EXPECT_EQ(large[i], (RegionRect{small[i].left * 2, small[i].top * 2, small[i].right * 2, small[i].bottom * 2}));
  }
  Image odd = ScaleNearest(skin.View(), 6, 4);  // 1.5x: every pixel still one of the source's
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(PixelColour(odd.View(), x, y), PixelColour(skin.View(), x * 4 / 6, y * 3 / 4));
}

TEST(SkinRegionTest, ScaledRectanglesCoverExactlyTheScaledSkin) {
  std::mt19937 random(11);
  const int sizes[][2] = {{2, 2}, {3, 2}, {5, 4}, {7, 4}, {3, 4}, {1, 2}};  // scaled = size * a / b
  for (int round = 0; round < 120; ++round) {
    const int w = 1 + static_cast<int>(random() % 30), h = 1 + static_cast<int>(random() % 20);
    std::vector<std::string> rows(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), '#'));
    for (auto& row : rows)
      for (char& c : row)
        if (random() % 3 == 0) c = '.';
    Image skin = SkinFrom(rows);
    const auto& f = sizes[round % 6];
    const int sw = std::max(1, w * f[0] / f[1]), sh = std::max(1, h * f[0] / f[1]);
    Image scaled = ScaleNearest(skin.View(), sw, sh);
    SCOPED_TRACE(std::to_string(round) + ": " + std::to_string(w) + "x" + std::to_string(h) + " to " +
                 std::to_string(sw) + "x" + std::to_string(sh));
    std::vector<int> expected = Coverage(SkinRegionRects(scaled.View(), kKey), sw, sh);
    std::vector<int> actual = Coverage(ScaleRegionRects(SkinRegionRects(skin.View(), kKey), w, h, sw, sh), sw, sh);
    ASSERT_EQ(actual, expected);
  }
}

}  // namespace
}  // namespace vd
