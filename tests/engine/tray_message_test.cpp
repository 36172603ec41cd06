#include "engine/tray_message.h"

#include <gtest/gtest.h>

namespace vd {
namespace {

TEST(TrayMessageTest, OnlyDoubleClickAndRightButtonUpDoAnything) {
  EXPECT_EQ(DecodeTrayMessage(0x0203), TrayAction::OpenMainWindow);  // left double-click
  EXPECT_EQ(DecodeTrayMessage(0x0205), TrayAction::PopupMenu);       // right button up
  for (std::uint32_t m : {0x0200u, 0x0201u, 0x0202u, 0x0204u, 0x0206u, 0x0207u, 0x0208u, 0x0209u, 0x0400u, 0x0401u,
                          0x007Bu, 0u, 0xFFFFu}) {
    EXPECT_EQ(DecodeTrayMessage(m), TrayAction::None) << std::hex << m;
  }
}

TEST(TrayMessageTest, TheIconIdInTheHighWordDoesNotChangeTheMessage) {
  EXPECT_EQ(DecodeTrayMessage(0x00010203), TrayAction::OpenMainWindow);
  EXPECT_EQ(DecodeTrayMessage(0xABCD0205), TrayAction::PopupMenu);
  EXPECT_EQ(DecodeTrayMessage(0x02050000), TrayAction::None);
}

}  // namespace
}  // namespace vd
