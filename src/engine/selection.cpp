#include "engine/selection.h"

#include <cmath>
#include <random>

namespace vd {

int NextIndex(int current, int count, bool randomOrder, std::uint32_t randomValue) {
  if (count < 1) return -1;
  if (randomOrder) {
    // Multiply-shift keeps every position equally likely to within count/2^32.
    return static_cast<int>((static_cast<std::uint64_t>(randomValue) * static_cast<std::uint64_t>(count)) >> 32);
  }
  if (current < 0 || current >= count - 1) return 0;
  return current + 1;
}

std::uint32_t RandomFromTimeOfDay(double secondsSinceMidnight) {
  std::uint32_t start = 0;
  // Microseconds of a day fit in 37 bits; wrapping to 32 keeps them distinct
  // over any hour, which is all the generator's start value needs.
  if (std::isfinite(secondsSinceMidnight) && secondsSinceMidnight > 0 && secondsSinceMidnight < 1e7) {
    start = static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::llround(secondsSinceMidnight * 1e6)));
  }
  std::mt19937 gen(start);
  return static_cast<std::uint32_t>(gen());
}

}  // namespace vd
