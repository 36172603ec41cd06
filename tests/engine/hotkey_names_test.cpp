#include "engine/hotkey_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vd {
namespace {

TEST(HotKeyNamesTest, NamesCodesAndFlags) {
  struct Case {
    int modifier, key;
    const char* name;
    unsigned flags, virtualKey;
  };
  const Case cases[] = {
      {0, 6, "F7", 0, 0x76},        {1, 28, "Alt+Q", 1, 0x51},   {3, 43, "Shift+5", 4, 0x35},
      {3, 12, "Shift+A", 4, 0x41},  {2, 0, "Ctrl+F1", 2, 0x70},  {2, 11, "Ctrl+F12", 2, 0x7B},
      {0, 37, "Z", 0, 0x5A},        {0, 38, "0", 0, 0x30},       {0, 47, "9", 0, 0x39},
      // Out of range: that part is left out.
      {4, 6, "F7", 0, 0x76},        {-1, 6, "F7", 0, 0x76},      {1, 48, "Alt+", 1, 0},
      {0, -1, "", 0, 0},            {99, 1000, "", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HotKeyName(c.modifier, c.key), c.name);
    EXPECT_EQ(HotKeyModifierFlags(c.modifier), c.flags);
    EXPECT_EQ(HotKeyVirtualKey(c.key), c.virtualKey);
  }
}

TEST(HotKeyNamesTest, DialogListsAgreeWithTheNames) {
  const std::vector<std::string> mods = HotKeyModifierTexts();
  EXPECT_EQ(mods, (std::vector<std::string>{"", "Alt", "Ctrl", "Shift"}));
  const std::vector<std::string> keys = HotKeyKeyTexts();
  ASSERT_EQ(keys.size(), 48u);
  for (int k = 0; k < 48; ++k) {
    for (int m = 0; m < 4; ++m) {
      EXPECT_EQ(HotKeyName(m, k), (m ? mods[m] + "+" : "") + keys[k]);
    }
  }
}

}  // namespace
}  // namespace vd

TEST(HotKeyNamesTest, PreviousKeyIsTheChangeKeyWithShiftUnlessStored) {
  // modifier index: 0 none, 1 Alt, 2 Ctrl, 3 Shift; key 6 is F7, 12 is A.
  EXPECT_EQ(vd::PreviousHotKey(-1, -1, 0, 6), (vd::FlagsHotKey{4, 6}));
  EXPECT_EQ(vd::HotKeyFlagsName(4, 6), "Shift+F7");
  EXPECT_EQ(vd::PreviousHotKey(-1, -1, 2, 12), (vd::FlagsHotKey{6, 12}));
  EXPECT_EQ(vd::HotKeyFlagsName(6, 12), "Ctrl+Shift+A");
  EXPECT_EQ(vd::PreviousHotKey(-1, -1, 1, 0), (vd::FlagsHotKey{5, 0}));
  EXPECT_EQ(vd::HotKeyFlagsName(5, 0), "Alt+Shift+F1");
  // The change key has Shift already: Ctrl+Shift.
  EXPECT_EQ(vd::PreviousHotKey(-1, -1, 3, 6), (vd::FlagsHotKey{6, 6}));
  // A stored key holds; a stored one out of range does not.
  EXPECT_EQ(vd::PreviousHotKey(3, 40, 0, 6), (vd::FlagsHotKey{3, 40}));
  EXPECT_EQ(vd::HotKeyFlagsName(3, 40), "Ctrl+Alt+2");
  EXPECT_EQ(vd::PreviousHotKey(8, 6, 0, 6), (vd::FlagsHotKey{4, 6}));
  EXPECT_EQ(vd::PreviousHotKey(2, 48, 0, 9), (vd::FlagsHotKey{4, 9}));
  EXPECT_EQ(vd::HotKeyFlagsName(-1, 6), "");
  // The dialog's list, index = modifier set.
  const std::vector<std::string> texts = vd::HotKeyFlagsTexts();
  ASSERT_EQ(texts.size(), 8u);
  EXPECT_EQ(texts[0], "");
  EXPECT_EQ(texts[4], "Shift");
  EXPECT_EQ(texts[7], "Ctrl+Alt+Shift");
  for (int f = 1; f < 8; ++f) EXPECT_EQ(vd::HotKeyFlagsName(f, 6), texts[static_cast<std::size_t>(f)] + "+F7");
}
