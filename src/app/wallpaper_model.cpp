#include "app/wallpaper_model.h"

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
  if (selected_ >= 0) selected_ = newIndexOf[static_cast<std::size_t>(selected_)];
  lastTaken_ = -1;
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
