#include "engine/tray_message.h"

namespace vd {

namespace {
constexpr std::uint32_t kLeftButtonDoubleClick = 0x0203;
constexpr std::uint32_t kRightButtonUp = 0x0205;
}  // namespace

TrayAction DecodeTrayMessage(std::uint32_t mouseMessage) {
  // Newer shells put the icon id in the high word; the message is the low word.
  switch (mouseMessage & 0xFFFF) {
    case kLeftButtonDoubleClick: return TrayAction::OpenMainWindow;
    case kRightButtonUp: return TrayAction::PopupMenu;
    default: return TrayAction::None;
  }
}

}  // namespace vd
