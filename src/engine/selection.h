// Choosing the next wallpaper of the list.
#pragma once

#include <cstdint>

namespace vd {

// The position to select next among count entries. List order: the entry
// after current, wrapping to 0 after the last; 0 when nothing (or nothing
// valid) is selected. Random order: randomValue spread evenly over
// 0..count-1, which may repeat current. -1 when the list is empty.
int NextIndex(int current, int count, bool randomOrder, std::uint32_t randomValue);

// A random value drawn from a generator started from the time of day, so
// that two changes within the same second still differ.
std::uint32_t RandomFromTimeOfDay(double secondsSinceMidnight);

}  // namespace vd
