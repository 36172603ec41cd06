#include "engine/skin_region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
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

}  // namespace
}  // namespace vd

namespace vd {
namespace {

constexpr std::uint32_t kBorder = 0x2E68AA, kPanel = 0xECF0F5;

// How many pixels of row y the key colour takes on the left.
int LeftKeyRun(const Image& skin, int y) {
  int x = 0;
  while (x < skin.Width() && PixelColour(skin.View(), x, y) == kKey) ++x;
  return x;
}

TEST(PanelSkinTest, RoundedPanelWithBorderIsSymmetricAndFinerAtTwiceTheSize) {
  std::set<int> stepsAt96, stepsAt192;
  for (const int scale : {1, 2}) {
    const int w = 440 * scale, h = 262 * scale, b = 2 * scale;
    Image skin = DrawPanelSkin(w, h, {16 * scale, b, kKey, kBorder, kPanel});
    ASSERT_EQ(skin.Width(), w);
    ASSERT_EQ(skin.Height(), h);
    auto at = [&](int x, int y) { return PixelColour(skin.View(), x, y); };
    SCOPED_TRACE(scale);
    for (int x : {0, w - 1})
      for (int y : {0, h - 1}) EXPECT_EQ(at(x, y), kKey) << "corner cut";
    EXPECT_EQ(at(w / 2, 0), kBorder);
    EXPECT_EQ(at(w / 2, b - 1), kBorder);
    EXPECT_EQ(at(w / 2, b), kPanel);
    EXPECT_EQ(at(0, h / 2), kBorder);
    EXPECT_EQ(at(w - 1, h / 2), kBorder);
    EXPECT_EQ(at(w - 1 - b, h / 2), kPanel);
    EXPECT_EQ(at(w / 2, h - 1), kBorder);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(at(x, y), at(w - 1 - x, y)) << x << "," << y;
        ASSERT_EQ(at(x, y), at(x, h - 1 - y)) << x << "," << y;
      }
    // The border runs round the corner without a gap: each row of the
    // corner starts with border colour right after the key colour.
    for (int y = 0; y < 16 * scale; ++y) {
      const int run = LeftKeyRun(skin, y);
      EXPECT_EQ(at(run, y), kBorder) << "row " << y;
      (scale == 1 ? stepsAt96 : stepsAt192).insert(run);
    }
    EXPECT_EQ(LeftKeyRun(skin, 16 * scale), 0) << "the straight edge begins under the corner";
  }
  EXPECT_GT(stepsAt192.size(), stepsAt96.size() + 6) << "drawn at 200 %, not doubled";
}

TEST(PanelSkinTest, RadiusIsClampedAndEmptySizesGiveNoSkin) {
  EXPECT_TRUE(DrawPanelSkin(0, 10, {4, 1, kKey, kBorder, kPanel}).Empty());
  Image pill = DrawPanelSkin(20, 6, {50, 1, kKey, kBorder, kPanel});  // radius beyond half the height
  ASSERT_FALSE(pill.Empty());
  EXPECT_EQ(PixelColour(pill.View(), 0, 0), kKey);
  EXPECT_EQ(PixelColour(pill.View(), 10, 0), kBorder);
  EXPECT_EQ(PixelColour(pill.View(), 10, 3), kPanel);
  Image square = DrawPanelSkin(5, 5, {0, 0, kKey, kBorder, kPanel});
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelColour(square.View(), x, y), kPanel);
}

}  // namespace
}  // namespace vd
