#include "engine/monitor_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using vd::Monitor;
using vd::Rect;

TEST(MonitorLayoutTest, MonitorsLandOnTheBitmapFromTheVirtualScreensCornerLeftToRightThenTopToBottom) {
  // A portrait monitor left of the primary, a shorter one right of it, and
  // one below the primary.
  const std::vector<Monitor> monitors = {
      {{0, 0, 1920, 1080}, true},
      {{1920, 0, 1280, 720}, false},
      {{-1080, -420, 1080, 1920}, false},
      {{0, 1080, 1920, 1080}, false},
  };
  EXPECT_EQ(vd::VirtualScreen(monitors), (Rect{-1080, -420, 1080 + 1920 + 1280, 420 + 2160}));
  const std::vector<Monitor> placed = vd::OnBitmap(monitors);
  ASSERT_EQ(placed.size(), 4u);
  EXPECT_EQ(placed[0].rect, (Rect{0, 0, 1080, 1920}));
  EXPECT_EQ(placed[1].rect, (Rect{1080, 420, 1920, 1080}));
  EXPECT_TRUE(placed[1].primary);
  EXPECT_EQ(placed[2].rect, (Rect{1080, 1500, 1920, 1080})) << "below the primary: same left, after it";
  EXPECT_EQ(placed[3].rect, (Rect{3000, 420, 1280, 720}));
  EXPECT_EQ(vd::VirtualScreen({}), Rect{});
}

// "The picture on the desktop" is the primary monitor's when each monitor
// shows its own: found the way the pictures were handed out.
TEST(MonitorLayoutTest, ThePrimaryMonitorsPictureIsFoundWhereverThePrimaryStands) {
  const Monitor left{{-1080, -200, 1080, 1920}, false}, primary{{0, 0, 1920, 1080}, true},
      right{{1920, 0, 1280, 1024}, false}, below{{0, 1080, 1920, 1080}, false};
  // Three monitors, three pictures: the primary is second from the left.
  EXPECT_EQ(vd::PrimaryPictureIndex({primary, left, right}, 3), 1u);
  // Rightmost of three with two pictures: the others repeat, so it shows the second.
  EXPECT_EQ(vd::PrimaryPictureIndex({left, {{-2000, 0, 920, 1080}, false}, primary}, 2), 1u);
  // Four monitors, four pictures: below the primary comes after it in the order.
  EXPECT_EQ(vd::PrimaryPictureIndex({below, right, primary, left}, 4), 1u);
  EXPECT_EQ(vd::PrimaryPictureIndex({right, primary}, 2), 0u);  // leftmost: the first picture
  EXPECT_EQ(vd::PrimaryPictureIndex({left, primary, right}, 1), 0u);  // one picture everywhere
  EXPECT_EQ(vd::PrimaryPictureIndex({left, right}, 3), 0u);           // no primary known
  EXPECT_EQ(vd::PrimaryPictureIndex({}, 0), 0u);
}

TEST(MonitorLayoutTest, SubViewsAreClippedAndRollingTilesFromThePrimarysCorner) {
  // A 4 x 2 canvas whose pixels are numbered by their first byte.
  vd::Image canvas(4, 2);
  const vd::ImageView v = canvas.View();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) *v.Pixel(x, y) = static_cast<std::uint8_t>(y * 4 + x);
  const vd::ImageView part = vd::SubView(v, {3, 1, 5, 5});
  EXPECT_EQ(part.width, 1);
  EXPECT_EQ(part.height, 1);
  EXPECT_EQ(*part.Pixel(0, 0), 7);
  EXPECT_TRUE(vd::SubView(v, {4, 0, 2, 2}).Empty());
  EXPECT_TRUE(vd::SubView(v, {-3, 0, 3, 2}).Empty());

  // The primary's corner at (3, 1): tiled from the screen's origin, its pixel comes first.
  vd::RollToOrigin(v, 3, 1);
  std::vector<int> order;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) order.push_back(*v.Pixel(x, y));
  EXPECT_EQ(order, (std::vector<int>{7, 4, 5, 6, 3, 0, 1, 2}));
}

}  // namespace
