#include "engine/cycle_timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vd {
namespace {

// Ticks numbered from 1 at which the wallpaper changed.
std::vector<int> ChangeTicks(std::int16_t& seconds, int index, int ticks) {
  std::vector<int> changes;
  for (int t = 1; t <= ticks; ++t) {
    const TickOutcome out = CycleTick(seconds, index);
    EXPECT_NE(out.changeWallpaper, out.refreshIconCaptions) << "tick " << t;
    if (out.changeWallpaper) {
      EXPECT_EQ(seconds, 0);
      changes.push_back(t);
    }
  }
  return changes;
}

TEST(CycleTimerTest, EachIntervalChangesOnItsTick) {
  const int ticksPerChange[] = {30, 60, 180, 360, 720};
  for (int index = 0; index < 5; ++index) {
    std::int16_t seconds = 0;
    const int n = ticksPerChange[index];
    EXPECT_EQ(ChangeTicks(seconds, index, 3 * n), (std::vector<int>{n, 2 * n, 3 * n})) << kCycleTimeTexts[index];
  }
}

TEST(CycleTimerTest, SwitchingIntervalsKeepsTheCount) {
  std::int16_t seconds = 0;
  EXPECT_TRUE(ChangeTicks(seconds, 4, 60).empty());  // " 2 hours" for 600 s
  EXPECT_EQ(ChangeTicks(seconds, 2, 120), std::vector<int>{120});  // "30 minutes": at 1800 s

  seconds = 0;
  EXPECT_TRUE(ChangeTicks(seconds, 4, 70).empty());  // 700 s counted, then " 5 minutes"
  EXPECT_EQ(ChangeTicks(seconds, 0, 1), std::vector<int>{1});
}

TEST(CycleTimerTest, AtStartupOnlyRefreshesTheIcons) {
  std::int16_t seconds = 290;
  EXPECT_TRUE(ChangeTicks(seconds, 5, 1000).empty());
  EXPECT_EQ(seconds, 0);
}

TEST(CycleTimerTest, WithoutAnEntryTheCountStopsAtItsLimit) {
  for (int index : {-1, 6, 1000}) {
    std::int16_t seconds = 0;
    EXPECT_TRUE(ChangeTicks(seconds, index, 3300).empty());
    EXPECT_EQ(seconds, 32767);
  }
  // Choosing an interval afterwards changes at the next tick.
  std::int16_t seconds = 32767;
  EXPECT_EQ(ChangeTicks(seconds, 3, 1), std::vector<int>{1});
}

}  // namespace
}  // namespace vd
