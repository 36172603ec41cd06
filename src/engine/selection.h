// Choosing the next wallpaper of the list.
#pragma once

#include <cstdint>
#include <vector>

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

namespace vd {

// Random order without repeats: every entry of the list comes once, in a
// random order, before any comes again. Entries are known by their position
// in the list, so the owner reports every insertion and removal. Nothing is
// kept beyond the run.
class ShuffleRound {
 public:
  // Starts a new round over count entries.
  void Reset(int count);
  // An entry was inserted at index (later ones move up); it joins the round.
  void Inserted(int index);
  // The entry at index was removed (later ones move down); it leaves the round.
  void Removed(int index);
  // The entries were reordered: the one at index i is now at newIndexOf[i].
  // The round goes on with the same pictures still to come. A mapping that
  // is no permutation of the round's entries starts a new round.
  void Moved(const std::vector<int>& newIndexOf);
  // Entries were removed and inserted at once: the one at index i is now at
  // newIndexOf[i] (-1: removed, it leaves the round), added are the indexes
  // of the new ones (they join it), and newCount entries are left.
  void Remapped(const std::vector<int>& newIndexOf, const std::vector<int>& added, int newCount);
  // The next position to show among count entries, given the one on screen
  // (-1 for none), and takes it out of the round. A new round begins when the
  // old one is used up, and its first pick is never current while another
  // entry exists. randomValue spreads evenly over the candidates. -1 when
  // count is below 1.
  int Next(int current, int count, std::uint32_t randomValue);
  // Entries still to come in this round.
  int Remaining() const { return static_cast<int>(pending_.size()); }

 private:
  std::vector<int> pending_;
  int count_ = 0;
};

}  // namespace vd
