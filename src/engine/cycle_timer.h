// The 10-second tick that changes the wallpaper once the chosen interval is up.
#pragma once

#include <cstdint>

namespace vd {

constexpr int kCycleTimeCount = 6;
constexpr int kCycleAtStartup = 5;  // no timed change: only once at program start
constexpr int kSecondsPerTick = 10;

// The texts of the cycle-time list, in order; the leading spaces line them up.
extern const char* const kCycleTimeTexts[kCycleTimeCount];

// Seconds between timed changes for a cycle-time index; 0 for "at startup"
// and for an index that names no entry.
int CycleTargetSeconds(int listIndex);

struct TickOutcome {
  bool changeWallpaper;      // the interval is up: change now (cycleSeconds is already 0)
  bool refreshIconCaptions;  // a quiet tick: re-apply the transparent icon captions
};

// One tick. The change fires once the count reaches or has passed the target,
// so a switch to a shorter interval than already counted changes at the next
// tick. With no entry chosen the count stops at its 16-bit limit.
TickOutcome CycleTick(std::int16_t& cycleSeconds, int listIndex);

}  // namespace vd
