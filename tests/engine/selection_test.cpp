#include "engine/selection.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

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

namespace vd {
namespace {

// Draws a whole round and returns the positions in the order they came.
std::vector<int> DrawRound(ShuffleRound& round, int& current, int count, std::mt19937& gen) {
  std::vector<int> order;
  for (int i = 0; i < count; ++i) {
    current = round.Next(current, count, static_cast<std::uint32_t>(gen()));
    order.push_back(current);
  }
  return order;
}

TEST(ShuffleRoundTest, EachRoundVisitsEveryEntryOnceAndNeverRepeatsAcrossRounds) {
  for (int count : {1, 2, 3, 1000}) {
    std::mt19937 gen(42);
    ShuffleRound round;
    round.Reset(count);
    int current = -1;
    int last = -1;
    for (int r = 0; r < 5; ++r) {
      std::vector<int> order = DrawRound(round, current, count, gen);
      if (count >= 2 && last >= 0) {
        EXPECT_NE(order.front(), last) << "round " << r << " of " << count;
      }
      std::vector<int> sorted = order;
      std::sort(sorted.begin(), sorted.end());
      for (int i = 0; i < count; ++i) ASSERT_EQ(sorted[static_cast<std::size_t>(i)], i) << count;
      last = order.back();
    }
  }
}

TEST(ShuffleRoundTest, EveryOrderOfThreeComesUp) {
  std::mt19937 gen(7);
  ShuffleRound round;
  round.Reset(3);
  int current = -1;
  std::set<std::vector<int>> seen;
  for (int r = 0; r < 600; ++r) seen.insert(DrawRound(round, current, 3, gen));
  EXPECT_EQ(seen.size(), 6u);
}

TEST(ShuffleRoundTest, AdditionsJoinAndRemovalsLeaveTheRound) {
  std::mt19937 gen(3);
  ShuffleRound round;
  round.Reset(4);  // entries a b c d at 0..3
  int current = round.Next(-1, 4, static_cast<std::uint32_t>(gen()));
  std::vector<char> names = {'a', 'b', 'c', 'd'};
  std::vector<char> shown = {names[static_cast<std::size_t>(current)]};
  // Add e at the end and x at the front mid-round.
  names.push_back('e');
  round.Inserted(4);
  names.insert(names.begin(), 'x');
  round.Inserted(0);
  ++current;
  // Remove one that has not come yet (not the one on screen).
  int gone = current == 1 ? 2 : 1;
  char goneName = names[static_cast<std::size_t>(gone)];
  names.erase(names.begin() + gone);
  round.Removed(gone);
  if (gone < current) --current;
  const int count = static_cast<int>(names.size());
  EXPECT_EQ(round.Remaining(), count - 1);
  while (round.Remaining() > 0) {
    current = round.Next(current, count, static_cast<std::uint32_t>(gen()));
    ASSERT_GE(current, 0);
    ASSERT_LT(current, count);
    shown.push_back(names[static_cast<std::size_t>(current)]);
  }
  std::string s(shown.begin(), shown.end());
  std::sort(s.begin(), s.end());
  std::string expected(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(s, expected);
  EXPECT_EQ(s.find(goneName), std::string::npos);
}

TEST(ShuffleRoundTest, ReorderingMidRoundStillShowsEveryPictureOnce) {
  std::mt19937 gen(11);
  const int count = 7;
  ShuffleRound round;
  round.Reset(count);
  std::vector<char> names = {'a', 'b', 'c', 'd', 'e', 'f', 'g'};
  int current = -1;
  std::string shown;
  for (int i = 0; i < 3; ++i) {
    current = round.Next(current, count, static_cast<std::uint32_t>(gen()));
    shown += names[static_cast<std::size_t>(current)];
  }
  // Sorted backwards, say: the entry at i moves to count - 1 - i.
  std::vector<int> newIndexOf(count);
  for (int i = 0; i < count; ++i) newIndexOf[static_cast<std::size_t>(i)] = count - 1 - i;
  std::reverse(names.begin(), names.end());
  round.Moved(newIndexOf);
  current = newIndexOf[static_cast<std::size_t>(current)];
  EXPECT_EQ(round.Remaining(), count - 3);
  while (round.Remaining() > 0) {
    current = round.Next(current, count, static_cast<std::uint32_t>(gen()));
    shown += names[static_cast<std::size_t>(current)];
  }
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, "abcdefg");

  // A mapping that is no permutation starts a fresh round over the entries.
  round.Moved({0, 0, 1, 2, 3, 4, 5});
  EXPECT_EQ(round.Remaining(), count);
  round.Moved({0, 1});
  EXPECT_EQ(round.Remaining(), 2);
}

TEST(ShuffleRoundTest, RemovingTheCurrentEntryAndOddInputsStayInRange) {
  ShuffleRound round;
  round.Reset(3);
  int current = round.Next(-1, 3, 0);
  round.Removed(current);  // the entry on screen goes: nothing is selected
  int a = round.Next(-1, 2, 0);
  int b = round.Next(a, 2, UINT32_MAX);
  EXPECT_NE(a, b);
  EXPECT_EQ(round.Remaining(), 0);
  // A new round after a list of one never fails.
  round.Reset(1);
  EXPECT_EQ(round.Next(0, 1, 99), 0);
  EXPECT_EQ(round.Next(0, 1, 99), 0);
  EXPECT_EQ(round.Next(0, 0, 99), -1);
  // A count that disagrees with what the round knows starts a new round.
  round.Reset(2);
  int k = round.Next(5, 10, UINT32_MAX);
  EXPECT_GE(k, 0);
  EXPECT_LT(k, 10);
  EXPECT_EQ(round.Remaining(), 9);
  round.Removed(-1);
  round.Removed(99);
  round.Inserted(-4);  // out of range: appended
  EXPECT_EQ(round.Remaining(), 10);
  // The user picked a pending entry by hand: it counts as shown.
  round.Reset(2);
  EXPECT_EQ(round.Next(1, 2, 0), 0);
  EXPECT_EQ(round.Remaining(), 0);
}

}  // namespace
}  // namespace vd
