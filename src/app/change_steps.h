// What the wallpaper change's files share (wallpaper_change.cpp, the
// history's and the preview's): the screen, the hold that a command's
// continuations carry, and one change under way.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/command_core.h"
#include "app/wallpaper_change.h"
#include "engine/list_file.h"
#include "engine/monitor_layout.h"
#include "platform/file_system.h"
#include "platform/monitors.h"

namespace vdapp {

inline int ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
inline int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

// The monitors now; one screen-sized one when the system cannot say.
inline std::vector<vd::Monitor> CurrentLayout() {
  std::vector<vd::Monitor> monitors = platform::DisplayMonitors();
  if (monitors.empty()) monitors.push_back({{0, 0, ScreenWidth(), ScreenHeight()}, true});
  return monitors;
}

using HoldPtr = std::shared_ptr<CommandCore::Hold>;

// body, to run when work handed off now comes back; the hold goes with it.
template <class Body>
auto Carrying(const HoldPtr& hold, Body body) {
  hold->Awaiting();
  return [hold, body](auto&... args) {
    hold->Arrived();
    body(args...);
    hold->Returned();
  };
}

// Gone for good only when its folder is there: an entry whose folder or drive
// is away for now (renamed, unplugged, offline) stays in the list. Runs on
// the disk's lane: it may wait on a slow or offline drive.
inline bool FileGone(const std::string& path) {
  platform::FileSystem fs;
  return vd::EntryGone(fs, path);
}

// One change from its start to the end of its last attempt.
struct WallpaperChange::Change {
  bool nextEntry = true;  // false: the selected entry, as chosen by hand
  int failures = 0;
  std::vector<std::string> others;  // pictures of their own for the other monitors
  HoldPtr hold;
};

}  // namespace vdapp
