#include "engine/selection.h"

#include <algorithm>
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

namespace vd {

void ShuffleRound::Reset(int count) {
  count_ = count < 0 ? 0 : count;
  pending_.resize(static_cast<std::size_t>(count_));
  for (int i = 0; i < count_; ++i) pending_[static_cast<std::size_t>(i)] = i;
}

void ShuffleRound::Inserted(int index) {
  if (index < 0 || index > count_) index = count_;
  // Appending (the common case, entry by entry for a long list) moves nothing.
  if (index < count_) {
    for (int& p : pending_) {
      if (p >= index) ++p;
    }
  }
  pending_.push_back(index);
  ++count_;
}

void ShuffleRound::Removed(int index) {
  if (index < 0 || index >= count_) return;
  std::erase(pending_, index);
  for (int& p : pending_) {
    if (p > index) --p;
  }
  --count_;
}

void ShuffleRound::Remapped(const std::vector<int>& newIndexOf, const std::vector<int>& added, int newCount) {
  std::vector<int> kept;
  kept.reserve(pending_.size() + added.size());
  for (const int p : pending_) {
    const int to = p >= 0 && static_cast<std::size_t>(p) < newIndexOf.size() ? newIndexOf[static_cast<std::size_t>(p)] : -1;
    if (to >= 0) kept.push_back(to);
  }
  kept.insert(kept.end(), added.begin(), added.end());
  pending_ = std::move(kept);
  count_ = newCount;
}

void ShuffleRound::Moved(const std::vector<int>& newIndexOf) {
  const auto n = static_cast<std::size_t>(count_);
  std::vector<bool> seen(n);
  bool permutation = newIndexOf.size() == n;
  for (std::size_t i = 0; permutation && i < n; ++i) {
    const int to = newIndexOf[i];
    permutation = to >= 0 && to < count_ && !seen[static_cast<std::size_t>(to)];
    if (permutation) seen[static_cast<std::size_t>(to)] = true;
  }
  if (!permutation) {
    Reset(static_cast<int>(newIndexOf.size()));
    return;
  }
  for (int& p : pending_) p = newIndexOf[static_cast<std::size_t>(p)];
}

int ShuffleRound::Next(int current, int count, std::uint32_t randomValue) {
  if (count < 1) return -1;
  // A list changed behind our back starts a new round rather than name a
  // position that may not exist.
  bool fresh = count != count_;
  if (fresh) Reset(count);
  if (count == 1) {
    pending_.clear();
    return 0;
  }
  // Mid-round, the entry on screen counts as shown even when the user chose
  // it by hand.
  if (!fresh) std::erase(pending_, current);
  if (pending_.empty()) Reset(count);
  // It is never picked next: set it aside at the end, out of the draw.
  std::size_t choices = pending_.size();
  auto it = std::find(pending_.begin(), pending_.end(), current);
  if (it != pending_.end()) {
    std::iter_swap(it, pending_.end() - 1);
    --choices;
  }
  const std::size_t k = static_cast<std::size_t>(
      (static_cast<std::uint64_t>(randomValue) * static_cast<std::uint64_t>(choices)) >> 32);
  const int chosen = pending_[k];
  // Order among the rest does not matter: swap out instead of shifting.
  pending_[k] = pending_.back();
  pending_.pop_back();
  return chosen;
}

}  // namespace vd
