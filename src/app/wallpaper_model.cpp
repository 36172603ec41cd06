#include "app/wallpaper_model.h"

#include <algorithm>
#include <utility>

namespace vdapp {

void WallpaperModel::Select(int index) {
  selected_ = Has(index) ? index : -1;
  lastTaken_ = -1;
  if (observer_) observer_->SelectionChanged(selected_);
}

void WallpaperModel::Append(const vd::ListEntry& entry) {
  entries_.push_back(entry);
  shuffle_.Inserted(Count() - 1);
  if (observer_) observer_->EntriesAppended(Count() - 1);
}

void WallpaperModel::Append(std::vector<vd::ListEntry> entries) {
  if (entries.empty()) return;
  const int first = Count();
  for (vd::ListEntry& e : entries) {
    entries_.push_back(std::move(e));
    shuffle_.Inserted(Count() - 1);
  }
  if (observer_) observer_->EntriesAppended(first);
}

void WallpaperModel::Remove(int index) {
  if (!Has(index)) return;
  entries_.erase(entries_.begin() + index);
  shuffle_.Removed(index);
  lastTaken_ = -1;
  if (selected_ == index) {
    selected_ = -1;
  } else if (selected_ > index) {
    --selected_;
  }
  if (observer_) observer_->EntryRemoved(index);
}

void WallpaperModel::RemoveEntries(const std::vector<int>& indexes) {
  if (indexes.empty()) return;
  // A few go one by one: the view then only drops their lines.
  if (indexes.size() <= 16) {
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) Remove(*it);
    return;
  }
  std::vector<int> newIndexOf(entries_.size(), 0);
  for (const int i : indexes) {
    if (Has(i)) newIndexOf[static_cast<std::size_t>(i)] = -1;
  }
  std::vector<vd::ListEntry> kept;
  kept.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (newIndexOf[i] < 0) continue;
    newIndexOf[i] = static_cast<int>(kept.size());
    kept.push_back(std::move(entries_[i]));
  }
  entries_ = std::move(kept);
  Remapped(newIndexOf, {}, false, 0);
}

void WallpaperModel::InsertEntries(std::vector<vd::ListEntry> added, const std::vector<int>& places) {
  if (added.empty() || places.size() != added.size()) return;
  const std::size_t n = entries_.size();
  std::vector<vd::ListEntry> merged;
  merged.reserve(n + added.size());
  std::vector<int> newIndexOf(n), addedAt;
  addedAt.reserve(added.size());
  std::size_t next = 0;  // the next of added
  for (std::size_t i = 0; i <= n; ++i) {
    while (next < added.size() && static_cast<std::size_t>(std::max(places[next], 0)) <= i) {
      addedAt.push_back(static_cast<int>(merged.size()));
      merged.push_back(std::move(added[next++]));
    }
    if (i == n) break;
    newIndexOf[i] = static_cast<int>(merged.size());
    merged.push_back(std::move(entries_[i]));
  }
  while (next < added.size()) {  // places past the end go there
    addedAt.push_back(static_cast<int>(merged.size()));
    merged.push_back(std::move(added[next++]));
  }
  entries_ = std::move(merged);
  Remapped(newIndexOf, addedAt, addedAt.front() == static_cast<int>(n), static_cast<int>(n));
}

void WallpaperModel::Remapped(const std::vector<int>& newIndexOf, const std::vector<int>& added, bool appendedOnly,
                              int first) {
  // In order, the next change goes on after the same picture.
  if (selected_ >= 0) selected_ = newIndexOf[static_cast<std::size_t>(selected_)];
  if (lastTaken_ >= 0) lastTaken_ = newIndexOf[static_cast<std::size_t>(lastTaken_)];
  shuffle_.Remapped(newIndexOf, added, Count());
  if (!observer_) return;
  if (appendedOnly) {
    observer_->EntriesAppended(first);
    return;
  }
  if (added.empty()) {
    observer_->ListReplaced();
  } else {
    observer_->EntriesInserted(added);
  }
  observer_->SelectionChanged(selected_);
}

void WallpaperModel::Clear() { Replace({}); }

void WallpaperModel::Replace(std::vector<vd::ListEntry> entries) {
  entries_ = std::move(entries);
  selected_ = -1;
  lastTaken_ = -1;
  shuffle_.Reset(Count());
  if (observer_) observer_->ListReplaced();
}

bool WallpaperModel::Reorder(const std::vector<int>& order) {
  const std::size_t n = entries_.size();
  if (order.size() != n) return false;
  std::vector<int> newIndexOf(n, -1);
  for (std::size_t k = 0; k < n; ++k) {
    const int from = order[k];
    if (from < 0 || static_cast<std::size_t>(from) >= n || newIndexOf[static_cast<std::size_t>(from)] >= 0)
      return false;
    newIndexOf[static_cast<std::size_t>(from)] = static_cast<int>(k);
  }
  std::vector<vd::ListEntry> sorted;
  sorted.reserve(n);
  for (const int from : order) sorted.push_back(std::move(entries_[static_cast<std::size_t>(from)]));
  entries_ = std::move(sorted);
  // In order, the next change goes on after the same picture.
  if (selected_ >= 0) selected_ = newIndexOf[static_cast<std::size_t>(selected_)];
  if (lastTaken_ >= 0) lastTaken_ = newIndexOf[static_cast<std::size_t>(lastTaken_)];
  shuffle_.Moved(newIndexOf);
  if (observer_) {
    observer_->ListReplaced();
    observer_->SelectionChanged(selected_);
  }
  return true;
}

std::vector<int> WallpaperModel::TakeNext(int count, bool randomOrder, const std::function<unsigned()>& random) {
  std::vector<int> taken;
  int current = Has(lastTaken_) ? lastTaken_ : selected_;
  for (int i = 0; i < count && Count() > 0; ++i) {
    current = randomOrder ? shuffle_.Next(current, Count(), random()) : vd::NextIndex(current, Count(), false, 0);
    if (current < 0) break;
    taken.push_back(current);
  }
  if (taken.empty()) return taken;
  Select(taken.front());
  lastTaken_ = taken.back();
  return taken;
}

void WallpaperModel::SetStyle(int style) {
  style_ = style >= 0 && style <= 4 ? style : -1;
  if (observer_) observer_->StyleChanged(style_);
}

}  // namespace vdapp
