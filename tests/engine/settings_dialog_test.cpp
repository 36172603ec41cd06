#include "engine/settings_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/hotkey_names.h"

namespace vd {
namespace {

// Records every write and every action in one journal, so their order shows.
class JournalRegistry : public RegistryPort {
 public:
  std::vector<std::string> journal;
  std::string failKey;  // writes under this key fail
  std::string ReadValue(Hive, const std::string&, const std::string&, const std::string& def) override { return def; }
  bool WriteValue(Hive hive, const std::string& key, const std::string& name, const std::string& value) override {
    if (key == failKey) return false;
    const char* where = hive == Hive::CurrentUser ? "HKCU" : "HKLM";
    journal.push_back(std::string(where) + (key == kRunKey ? " Run " : key == kProgramKey ? " " : " ? ") + name + "=" +
                      value);
    return true;
  }
  bool DeleteValue(Hive, const std::string& key, const std::string& name) override {
    journal.push_back("delete " + key + " " + name);
    return true;
  }
};

SettingsApplyActions Journalled(std::vector<std::string>& journal) {
  return {[&] { journal.push_back("ApplyHotKey"); }, [&] { journal.push_back("CheckSortMenus"); },
          [&] { journal.push_back("ApplyIconTextColours"); }, [&] { journal.push_back("ShowHideDesktopIcons"); }};
}

TEST(SettingsDialogApply, WritesEveryValueAndRunsTheActionsInOrder) {
  SettingsDialogValues v;
  v.runAtStartup = 1;
  v.autoDecision = 0;
  v.transparentIcons = 0;  // switched off: the colours are still applied, to restore the captions
  v.showIcons = 1;
  v.recurseSubFolders = 0;
  v.useGreyScale = 1;
  v.randomOrder = 0;
  v.showDate = 1;
  v.iconForeColor = 0x00336699;
  v.hotModifier = 2;
  v.hotCombi = 47;
  v.sortingType = 1;
  v.differentPictures = 1;

  JournalRegistry reg;
  Settings s;
  ApplySettingsDialog(v, true, "C:\\Program Files\\Vexa Desktop\\", reg, s, Journalled(reg.journal));
  const std::vector<std::string> expected = {
      "HKCU Run Vexa Desktop=\"C:\\Program Files\\Vexa Desktop\\VD.exe\"",
      "HKCU ShowDate=1",
      "HKCU Auto Decision=0",
      "HKCU Transparent Icon=0",
      "HKCU showIcons=1",
      "HKCU Recurse SubFolders=0",
      "HKCU Use GreyScale=1",
      "HKCU Randomize=0",
      "HKCU Multiple Monitors=1",
      "HKCU Hot Modifier=2",
      "HKCU Hot Combi=47",
      "ApplyHotKey",
      "HKCU Icon ForeGround=3368601",
      "HKCU SortingType=1",
      "CheckSortMenus",
      "ApplyIconTextColours",
      "ShowHideDesktopIcons",
  };
  EXPECT_EQ(reg.journal, expected);

  // The settings model holds what was applied, with the stored encodings.
  EXPECT_TRUE(s.runAtStartup);
  EXPECT_EQ(s.autoDecision, 0);
  EXPECT_EQ(s.transparentIcons, 0);
  EXPECT_EQ(s.showIcons, 1);
  EXPECT_EQ(s.useGreyScale, 1);
  EXPECT_EQ(s.showDate, 1);
  EXPECT_EQ(s.iconForeColor, 0x00336699);
  EXPECT_EQ(s.hotModifier, "2");
  EXPECT_EQ(s.hotCombi, 47);
  EXPECT_EQ(s.sortingType, "1");
  EXPECT_EQ(s.multipleMonitors, 1);
  EXPECT_EQ(DialogValuesFrom(s).values.differentPictures, 1);
}

TEST(SettingsDialogApply, UnchangedHotKeyIsNotRegisteredAgainAndFailedWritesDoNotStopTheRest) {
  SettingsDialogValues v;  // start-up off
  JournalRegistry reg;
  reg.failKey = kRunKey;  // the Run key cannot be written
  Settings s;
  ApplySettingsDialog(v, false, "C:\\VD\\", reg, s, Journalled(reg.journal));
  ASSERT_FALSE(reg.journal.empty());
  EXPECT_EQ(reg.journal.front(), "HKCU ShowDate=0");
  EXPECT_EQ(reg.journal.back(), "ShowHideDesktopIcons");
  for (const std::string& entry : reg.journal) EXPECT_NE(entry, "ApplyHotKey");
  EXPECT_EQ(reg.journal.size(), 15u);  // 13 values and 4 actions, less the failed start-up entry and the hot key
}

TEST(SettingsDialogStartupEntry, OnWritesTheQuotedPathOffDeletesOnlyOurOwnEntry) {
  SettingsDialogValues v;
  v.runAtStartup = 1;
  JournalRegistry reg;
  Settings s;
  ApplySettingsDialog(v, false, "C:\\Program Files\\Vexa Desktop\\", reg, s, {});
  EXPECT_EQ(reg.journal.front(), "HKCU Run Vexa Desktop=\"C:\\Program Files\\Vexa Desktop\\VD.exe\"");

  // Switched off, whatever stands there: ours (also an older version's
  // "xxx") is deleted; another program's command or junk is left as it is.
  class StoredRun : public JournalRegistry {
   public:
    std::string stored;
    std::string ReadValue(Hive, const std::string& key, const std::string& name, const std::string& def) override {
      return key == kRunKey && name == kRunValueName ? stored : def;
    }
  };
  const std::pair<std::string, bool> cases[] = {
      {"\"D:\\Apps\\VD\\VD.exe\"", true}, {"xxx", true},          {"", false},
      {"\"C:\\Tools\\other.exe\"", false}, {std::string(100 * 1024, 'x'), false},
  };
  v.runAtStartup = 0;
  for (const auto& [stored, deleted] : cases) {
    StoredRun run;
    run.stored = stored;
    ApplySettingsDialog(v, false, "D:\\Apps\\VD\\", run, s, {});
    bool sawDelete = false, sawRunWrite = false;
    for (const std::string& entry : run.journal) {
      sawDelete |= entry == std::string("delete ") + kRunKey + " " + kRunValueName;
      sawRunWrite |= entry.rfind("HKCU Run ", 0) == 0;
    }
    EXPECT_EQ(sawDelete, deleted) << stored.substr(0, 40);
    EXPECT_FALSE(sawRunWrite) << "off never writes a start-up command";
  }
}

TEST(SettingsDialogLoad, StoredValuesShowAsTheyAreAndUnusableOnesAsDefaults) {
  Settings s;
  s.runAtStartup = true;
  s.autoDecision = 1;
  s.transparentIcons = 0;
  s.showIcons = 200;  // any non-zero byte is on
  s.iconForeColor = 0x0000FF;
  s.hotModifier = "3";
  s.hotCombi = 12;
  s.sortingType = "1";
  LoadedDialogValues l = DialogValuesFrom(s);
  EXPECT_EQ(l.values.runAtStartup, 1);
  EXPECT_EQ(l.values.autoDecision, 1);
  EXPECT_EQ(l.values.transparentIcons, 0);
  EXPECT_EQ(l.values.showIcons, 1);
  EXPECT_EQ(l.values.iconForeColor, 0x0000FF);
  EXPECT_EQ(l.values.hotModifier, 3);
  EXPECT_EQ(l.values.hotCombi, 12);
  EXPECT_EQ(l.values.sortingType, 1);
  EXPECT_FALSE(l.hotKeyRepaired || l.sortRepaired || l.colourRepaired);

  struct Bad {
    const char* modifier;
    int key;
    const char* sort;
    std::int32_t colour;
  };
  const Bad bads[] = {{"abc", 6, "2", -1}, {"4", 6, "-1", 0x7FFFFFFF}, {"0", 48, "x", 0x1000000}, {"-1", -5, "", -1}};
  for (const Bad& b : bads) {
    SCOPED_TRACE(std::string(b.modifier) + " " + std::to_string(b.key) + " " + b.sort);
    s.hotModifier = b.modifier;
    s.hotCombi = static_cast<std::int16_t>(b.key);
    s.sortingType = b.sort;
    s.iconForeColor = b.colour;
    l = DialogValuesFrom(s);
    EXPECT_EQ(l.values.hotModifier, 0);
    EXPECT_EQ(l.values.hotCombi, 6);
    EXPECT_EQ(l.values.sortingType, 0);
    EXPECT_EQ(l.values.iconForeColor, 0xFFFFFF);
    EXPECT_TRUE(l.hotKeyRepaired && l.sortRepaired && l.colourRepaired);
  }
}

TEST(SettingsDialogLoad, HotKeyChoiceRangeMatchesTheLists) {
  EXPECT_TRUE(HotKeyChoiceValid(0, 0));
  EXPECT_TRUE(HotKeyChoiceValid(3, 47));
  EXPECT_FALSE(HotKeyChoiceValid(4, 0));
  EXPECT_FALSE(HotKeyChoiceValid(-1, 0));
  EXPECT_FALSE(HotKeyChoiceValid(0, 48));
  EXPECT_FALSE(HotKeyChoiceValid(0, -1));
  EXPECT_EQ(static_cast<int>(HotKeyModifierTexts().size()), kHotModifierCount);
  EXPECT_EQ(static_cast<int>(HotKeyKeyTexts().size()), kHotKeyCount);
}

}  // namespace
}  // namespace vd
