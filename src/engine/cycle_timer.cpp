#include "engine/cycle_timer.h"

#include <algorithm>

namespace vd {

const char* const kCycleTimeTexts[kCycleTimeCount] = {" 5 minutes", "10 minutes", "30 minutes",
                                                      " 1 hour",    " 2 hours",   "at startup"};

int CycleTargetSeconds(int listIndex) {
  static constexpr int kTargets[] = {300, 600, 1800, 3600, 7200};
  if (listIndex < 0 || listIndex >= kCycleAtStartup) return 0;
  return kTargets[listIndex];
}

TickOutcome CycleTick(std::int16_t& cycleSeconds, int listIndex) {
  const int counted = std::min(cycleSeconds + kSecondsPerTick, 32767);
  cycleSeconds = static_cast<std::int16_t>(counted);
  const int target = CycleTargetSeconds(listIndex);
  if (target > 0 && counted >= target) {
    cycleSeconds = 0;
    return {true, false};
  }
  if (listIndex == kCycleAtStartup) cycleSeconds = 0;
  return {false, true};
}

}  // namespace vd
