// What a mouse message over the notification icon asks of the program.
#pragma once

#include <cstdint>

namespace vd {

enum class TrayAction { None, OpenMainWindow, PopupMenu };

// mouseMessage is the window message the shell reports for the icon (its
// low word): a double-click opens the main window, releasing the right
// button pops up the tray menu, everything else does nothing.
TrayAction DecodeTrayMessage(std::uint32_t mouseMessage);

}  // namespace vd
