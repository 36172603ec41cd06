#include "engine/settings.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/command_text.h"

namespace vd {
namespace {

// An in-memory registry: value names without regard to case, like the real one.
class MemoryRegistry : public RegistryPort {
 public:
  std::map<std::string, std::string> values;  // "key|lowercase name" -> text
  static std::string Id(const std::string& key, std::string name) {
    for (auto& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key + "|" + name;
  }
  std::string ReadValue(Hive, const std::string& key, const std::string& name, const std::string& def) override {
    auto it = values.find(Id(key, name));
    return it == values.end() ? def : it->second;
  }
  bool WriteValue(Hive, const std::string& key, const std::string& name, const std::string& value) override {
    values[Id(key, name)] = value;
    return true;
  }
  bool DeleteValue(Hive, const std::string& key, const std::string& name) override {
    values.erase(Id(key, name));
    return true;
  }
};

TEST(SettingsConversions, WholeNumbersFromStoredText) {
  struct Case { const char* text; std::optional<int> byte, int16; };
  const Case cases[] = {
      {"0", 0, 0},      {"1", 1, 1},         {" 7 ", 7, 7},    {"255", 255, 255}, {"256", std::nullopt, 256},
      {"-1", std::nullopt, -1}, {"2.5", 2, 2}, {"3.5", 4, 4},  {"0.5", 0, 0},     {"abc", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},      {"1e3", std::nullopt, std::nullopt}, {"32768", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},  {".", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    auto b = ToByte(c.text);
    auto i = ToInt16(c.text);
    EXPECT_EQ(b ? std::optional<int>(*b) : std::nullopt, c.byte) << c.text;
    EXPECT_EQ(i ? std::optional<int>(*i) : std::nullopt, c.int16) << c.text;
  }
  EXPECT_EQ(ToInt32("16777215"), 16777215);
  EXPECT_EQ(ToInt32(std::string(65536, '9')), std::nullopt);
}

TEST(ReadSettings, EmptyRegistryGivesEveryDefault) {
  MemoryRegistry reg;
  Settings s;
  std::vector<int> style, cycle;
  ReadSettingsFrom(reg, s, {[&](std::int16_t i) { style.push_back(i); }, [&](std::int16_t i) { cycle.push_back(i); }});
  EXPECT_EQ(style, std::vector<int>{0});
  EXPECT_EQ(cycle, std::vector<int>{0});
  EXPECT_EQ(s.autoDecision, 1);
  EXPECT_EQ(s.showDate, 1);
  EXPECT_EQ(s.transparentIcons, 1);
  EXPECT_EQ(s.iconForeColor, 0xFFFFFF);
  EXPECT_FALSE(s.runAtStartup);
  EXPECT_EQ(s.cyclingEnabled, 1);
  EXPECT_EQ(s.recurseSubFolders, 1);
  EXPECT_EQ(s.useGreyScale, 0);
  EXPECT_EQ(s.showIcons, 1);
  EXPECT_EQ(s.sortingType, "0");
  EXPECT_EQ(s.randomOrder, 1);
  EXPECT_EQ(s.hotModifier, "0");
  EXPECT_EQ(s.hotCombi, 6);
  EXPECT_EQ(s.multipleMonitors, 0);
  EXPECT_EQ(s.previousHotFlags, -1) << "no previous key stored: the change key's variant";
  EXPECT_EQ(s.previousHotCombi, -1);
  EXPECT_TRUE(reg.values.empty()) << "reading writes nothing";
  reg.WriteValue(Hive::CurrentUser, kProgramKey, "Previous Hot Modifiers", "6");
  reg.WriteValue(Hive::CurrentUser, kProgramKey, "Previous Hot Combi", "12");
  ReadSettingsFrom(reg, s, {});
  EXPECT_EQ(s.previousHotFlags, 6);
  EXPECT_EQ(s.previousHotCombi, 12);
  reg.WriteValue(Hive::CurrentUser, kProgramKey, "Previous Hot Combi", "junk");
  ReadSettingsFrom(reg, s, {});
  EXPECT_EQ(s.previousHotCombi, 12) << "a text that is no number leaves the holder";
  reg.values.clear();
  // Only "1" asks for a picture of its own on each monitor.
  for (const auto& [stored, different] : std::vector<std::pair<std::string, int>>{
           {"1", 1}, {" 1.0 ", 1}, {"0", 0}, {"2", 0}, {"-1", 0}, {"yes", 0}, {std::string(300, '1'), 0}}) {
    reg.WriteValue(Hive::CurrentUser, kProgramKey, "Multiple Monitors", stored);
    s.multipleMonitors = 7;
    ReadSettingsFrom(reg, s, {});
    EXPECT_EQ(s.multipleMonitors, different) << stored;
  }
}

TEST(ReadSettings, UnconvertibleTextsLeaveHoldersAndStartupEntryNeedsTheProgramName) {
  MemoryRegistry reg;
  reg.WriteValue(Hive::CurrentUser, kProgramKey, "ShowDate", "abc");
  reg.WriteValue(Hive::CurrentUser, kProgramKey, "Auto Decision", "300");
  reg.WriteValue(Hive::CurrentUser, kProgramKey, "showicons", "0");  // other case, same value
  reg.WriteValue(Hive::CurrentUser, kProgramKey, "Wallpaper Cycle Time", "x");
  reg.WriteValue(Hive::CurrentUser, kRunKey, kRunValueName, "xxx");
  Settings s;
  s.autoDecision = 9;
  int cycleCalls = 0;
  ReadSettingsFrom(reg, s, {nullptr, [&](std::int16_t) { ++cycleCalls; }});
  EXPECT_EQ(s.showDate, 0) << "stays at its initial zero, not the default";
  EXPECT_EQ(s.autoDecision, 9);
  EXPECT_EQ(s.showIcons, 0);
  EXPECT_EQ(cycleCalls, 0);
  EXPECT_FALSE(s.runAtStartup);
  reg.WriteValue(Hive::CurrentUser, kRunKey, kRunValueName, "C:\\Program Files\\Vexa\\VD.exe");
  ReadSettingsFrom(reg, s, {});
  EXPECT_TRUE(s.runAtStartup);
  // On only when the command runs VD.exe itself, in any letter case.
  const std::pair<std::string, bool> commands[] = {
      {"C:\\Vexa\\vd.EXE", true},
      {"\"C:\\Program Files\\Vexa Desktop\\VD.exe\" -d", true},
      {"C:\\Program Files\\Vexa\\VD.exe /min", true},
      {"\"C:\\Other\\NOTVD.exe\"", false},
      {"C:\\VD.exe.old\\other.exe", false},
      {"\"C:\\Apps\\launcher.exe\" C:\\Vexa\\VD.exe", false},
      {std::string(100 * 1024, 'a') + "VD.exe ", false},
      {"", false},
  };
  for (const auto& [command, on] : commands) {
    reg.WriteValue(Hive::CurrentUser, kRunKey, kRunValueName, command);
    ReadSettingsFrom(reg, s, {});
    EXPECT_EQ(s.runAtStartup, on) << command.substr(0, 60);
  }
}

TEST(StartupPaths, BuiltFromTempAndProgramFolder) {
  auto p = MakeStartupPaths("C:\\Temp\\\\\\", "C:\\Apps\\Vexa");
  EXPECT_EQ(p.tempFolder, "C:\\Temp");
  EXPECT_EQ(p.appFolder, "C:\\Apps\\Vexa\\");
  EXPECT_EQ(p.wallpaperBitmapPath, "C:\\Temp\\Vexa Desktop.bmp");
  EXPECT_EQ(p.defaultListPath, "C:\\Temp\\VDesk.ini");
  EXPECT_EQ(p.listCopyPath, "") << "no application-data folder, no copy";
  EXPECT_EQ(p.historyPath, "") << "nor a kept history";
  EXPECT_EQ(MakeStartupPaths("C:\\Temp", "C:\\Apps", "C:\\Users\\Ann\\AppData\\Local\\").listCopyPath,
            "C:\\Users\\Ann\\AppData\\Local\\Vexa Desktop\\VDesk.ini");
  EXPECT_EQ(MakeStartupPaths("C:\\Temp", "C:\\Apps", "C:\\Users\\Ann\\AppData\\Local").historyPath,
            "C:\\Users\\Ann\\AppData\\Local\\Vexa Desktop\\History.txt");
  auto root = MakeStartupPaths("", "C:\\");
  EXPECT_EQ(root.defaultListPath, "\\VDesk.ini");
  EXPECT_EQ(root.appFolder, "C:\\");
}

TEST(CommandText, OptionSeparatorAndArgument) {
  struct Case { const char* text; const char* option; const char* argument; };
  const Case cases[] = {
      {"-i C:\\a b\\c.jpg", "-i", "C:\\a b\\c.jpg"}, {"-l", "-l", ""}, {"-l ", "-l", ""}, {"-lX", "-l", ""},
      {"-l:x", "-l", "x"}, {"", "", ""}, {"-", "-", ""}, {"-i \"C:\\q.jpg\"", "-i", "C:\\q.jpg"},
      {"-n \"C:\\\"", "-n", "C:\\"}, {"-i \"", "-i", "\""}, {"-i \"\"", "-i", ""},
      {"-i \"C:\\a\" \"b\"", "-i", "C:\\a\" \"b"}, {"-i C:\\\"q.jpg", "-i", "C:\\\"q.jpg"},
  };
  for (const Case& c : cases) {
    auto r = SplitCommandText(c.text);
    EXPECT_EQ(r.option, c.option) << c.text;
    EXPECT_EQ(r.argument, c.argument) << c.text;
  }
}

TEST(CommandText, ProgramNameIsSkippedQuotedOrNot) {
  EXPECT_EQ(ArgumentsOfCommandLine("\"C:\\Program Files\\VD.exe\" -n C:\\Pics"), "-n C:\\Pics");
  EXPECT_EQ(ArgumentsOfCommandLine("VD.exe   -i x.jpg"), "-i x.jpg");
  EXPECT_EQ(ArgumentsOfCommandLine("VD.exe"), "");
  EXPECT_EQ(ArgumentsOfCommandLine("\"C:\\VD.exe\""), "");
  EXPECT_EQ(ArgumentsOfCommandLine("\"unterminated"), "");
}

}  // namespace
}  // namespace vd
