#include "engine/selection.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>

namespace vd {
namespace {

TEST(SelectionTest, ListOrderStepsOnAndWraps) {
  struct Case {
    int current, count, expected;
  };
  const Case cases[] = {
      {0, 3, 1}, {1, 3, 2}, {2, 3, 0},  // after the last comes the first
      {-1, 3, 0}, {7, 3, 0},             // nothing (valid) selected
      {0, 1, 0}, {-1, 0, -1}, {0, -5, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextIndex(c.current, c.count, false, 12345), c.expected) << c.current << " of " << c.count;
  }
  EXPECT_EQ(NextIndex(-1, 0, true, 12345), -1);
}

TEST(SelectionTest, RandomOrderCoversEveryPositionEvenly) {
  for (int count : {1, 2, 3, 1000, INT_MAX}) {
    EXPECT_EQ(NextIndex(0, count, true, 0), 0);
    EXPECT_EQ(NextIndex(0, count, true, UINT32_MAX), count - 1);
  }
  int hits[3] = {};
  const std::uint64_t steps = 3000;
  for (std::uint64_t i = 0; i < steps; ++i) {
    ++hits[NextIndex(1, 3, true, static_cast<std::uint32_t>(((i << 32) + steps - 1) / steps))];
  }
  EXPECT_EQ(hits[0], 1000);
  EXPECT_EQ(hits[1], 1000);
  EXPECT_EQ(hits[2], 1000);
}

TEST(SelectionTest, ChangesWithinOneSecondStillDiffer) {
  EXPECT_EQ(RandomFromTimeOfDay(45296.25), RandomFromTimeOfDay(45296.25));
  int hits[3] = {};
  for (int ms = 0; ms < 1000; ++ms) ++hits[NextIndex(0, 3, true, RandomFromTimeOfDay(45296 + ms / 1000.0))];
  for (int h : hits) EXPECT_GT(h, 250);
  // Clock readings that are no time of day still give a value.
  RandomFromTimeOfDay(-1.0);
  RandomFromTimeOfDay(std::nan(""));
  RandomFromTimeOfDay(1e300);
}

}  // namespace
}  // namespace vd
