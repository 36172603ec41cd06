// The history's rules against the list: which way a change or "Previous
// Wallpaper" goes. The files are checked off the UI thread first
// (UsableEntries); the steps themselves run on the UI thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/wallpaper_model.h"
#include "engine/history.h"

namespace vdapp {

// For each entry of the history, whether all its pictures exist. Runs on the
// disk's lane, over a copy.
std::vector<bool> UsableEntries(const vd::WallpaperHistory& history, const std::function<bool(const std::string&)>& exists);

// What a change shows: an entry of the history ahead of the position, or
// the list's next entries (as many as monitors), taken from the list as
// ever. Entries shown again from the history leave the list's selection and
// its random round as they were.
struct ChangeStep {
  int historyIndex = -1;  // >= 0: show this entry of the history
  std::vector<int> taken;  // else: these entries of the list
};
// usable: UsableEntries of history as it is now (an older answer, of another
// length, counts as nothing usable).
ChangeStep StepForChange(vd::WallpaperHistory& history, const std::vector<bool>& usable, WallpaperModel& list,
                         int monitors, bool randomOrder, const std::function<unsigned()>& random);

// "Previous Wallpaper": the nearest usable entry before the position becomes
// the position; -1, and nothing moves, when there is none.
int StepBack(vd::WallpaperHistory& history, const std::vector<bool>& usable);

}  // namespace vdapp
