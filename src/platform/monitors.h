// The monitors as the system lays them out.
#pragma once

#include <vector>

#include "engine/monitor_layout.h"

namespace platform {

// Every monitor of the desktop in screen coordinates; empty when the system
// cannot say (then the primary screen's size is all there is).
std::vector<vd::Monitor> DisplayMonitors();

// The system shows a wallpaper spanned over all monitors ("WallpaperStyle"
// 22): Windows 8 and later.
bool SystemSpansWallpapers();

}  // namespace platform
