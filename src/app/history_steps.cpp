#include "app/history_steps.h"

namespace vdapp {

namespace {

vd::WallpaperHistory::Usable Lookup(const vd::WallpaperHistory& history, const std::vector<bool>& usable) {
  const bool current = static_cast<int>(usable.size()) == history.Count();
  return [&history, &usable, current](const vd::HistoryEntry& e) {
    if (!current) return false;
    const auto index = static_cast<std::size_t>(&e - history.Entries().data());
    return index < usable.size() && usable[index];
  };
}

}  // namespace

std::vector<bool> UsableEntries(const vd::WallpaperHistory& history,
                                const std::function<bool(const std::string&)>& exists) {
  std::vector<bool> usable;
  usable.reserve(history.Entries().size());
  for (const vd::HistoryEntry& e : history.Entries()) {
    bool all = !e.pictures.empty();
    for (const std::string& p : e.pictures) all = all && exists(p);
    usable.push_back(all);
  }
  return usable;
}

ChangeStep StepForChange(vd::WallpaperHistory& history, const std::vector<bool>& usable, WallpaperModel& list,
                         int monitors, bool randomOrder, const std::function<unsigned()>& random) {
  ChangeStep step;
  if (history.CanGoForward()) {
    step.historyIndex = history.ForwardTarget(Lookup(history, usable));
    if (step.historyIndex >= 0) {
      history.MoveTo(step.historyIndex);
      return step;
    }
    // What lay ahead is gone: new pictures from here.
    history.MoveToNewest();
  }
  step.taken = list.TakeNext(monitors < 1 ? 1 : monitors, randomOrder, random);
  return step;
}

int StepBack(vd::WallpaperHistory& history, const std::vector<bool>& usable) {
  const int target = history.BackTarget(Lookup(history, usable));
  history.MoveTo(target);
  return target;
}

}  // namespace vdapp
