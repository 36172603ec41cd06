// Files dropped on a window from Explorer (WM_DROPFILES).
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace platform {

// Every path of a drop, in UTF-8, each read whole however long it is; the
// drop's memory is released.
std::vector<std::string> TakeDroppedPaths(HDROP drop);

}  // namespace platform
