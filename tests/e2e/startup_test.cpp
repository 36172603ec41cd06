// Start-up: settings with their defaults and fallbacks, working paths, the
// progress form, the command line, and the single running copy.
#include <set>

#include "harness.h"
#include "main/control_ids.h"

namespace e2e {
namespace {

class StartupTest : public VdTest {};

std::optional<std::string> ProgramValue(const char* name) { return RegRead(HKEY_CURRENT_USER, kProgramKey, name); }

TEST_F(StartupTest, FirstStartOnEmptyRegistryTakesEveryDefault) {
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(main);
  EXPECT_FALSE(IsVisible(main)) << "the main window stays hidden at start";
  EXPECT_EQ(ControlText(main, ids::lblStyle), "Centered");
  EXPECT_EQ(ControlText(main, ids::lblTime), " 5 minutes");
  EXPECT_EQ(ProgramValue("Enabled VD"), "1");
  EXPECT_EQ(ProgramValue("Wallpaper Cycle Time"), "0");
  EXPECT_EQ(ProgramValue("InstalledDir"), BinDir() + "\\");
  EXPECT_FALSE(ProgramValue("ShowDate")) << "defaults are not written back";
  EXPECT_TRUE(ListFileIs("")) << "the default list file is created empty";
  EXPECT_TRUE(vd.Running());
}

TEST_F(StartupTest, DisabledCyclingShowsDisabledAndWritesNothingForIt) {
  // "00" reads as off; a write-back would replace it with "0" or "1".
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "00");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Wallpaper Cycle Time", "3");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  EXPECT_EQ(ControlText(main, ids::lblTime), "Disabled");
  EXPECT_EQ(ProgramValue("Enabled VD"), "00");
  EXPECT_EQ(ProgramValue("Wallpaper Cycle Time"), "3");
}

TEST_F(StartupTest, UnusableStoredValuesLeaveTheirHoldersAlone) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Wallpaper Cycle Time", "7");  // no such entry
  RegWrite(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", "2.5");      // rounds half to even: 2
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "abc");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Icon ForeGround", std::string(65536, '9'));
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Hot Combi", "\x01\x02garbage");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "SortingType", std::string(60000, 'x'));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(main);
  EXPECT_EQ(ControlText(main, ids::lblTime), "") << "no cycle-time entry is selected";
  EXPECT_EQ(ProgramValue("Wallpaper Cycle Time"), "7") << "an invalid index is not written back";
  EXPECT_EQ(ControlText(main, ids::lblStyle), "Stretched");
  EXPECT_TRUE(vd.Running());
}

TEST_F(StartupTest, TempFolderLosesAllItsTrailingBackslashes) {
  Process vd = Start(VdExe(), "", Temp().Path() + "\\\\\\");
  ASSERT_TRUE(WaitReady(vd));
  EXPECT_TRUE(FileExists(DefaultListPath()));
}

TEST_F(StartupTest, MissingTempFolderIsCreatedAndAbsentTempStillStarts) {
  const std::string missing = Temp() / "not\\yet";
  MakeFolder(Temp() / "not");
  Process vd = Start(VdExe(), "", missing);
  ASSERT_TRUE(WaitReady(vd));
  EXPECT_TRUE(FileExists(missing + "\\VDesk.ini"));
  vd.Kill();

  Process noTemp = Start(VdExe(), "", std::nullopt);
  EXPECT_TRUE(WaitReady(noTemp)) << "no temp variable: the program still starts";
  noTemp.Kill();

  // A temp folder that cannot be made (its parent is a file): still starts.
  WriteFileText(Temp() / "plain.txt", "x");
  Process unwritable = Start(VdExe(), "", Temp() / "plain.txt\\sub");
  EXPECT_TRUE(WaitReady(unwritable)) << "an unusable temp folder: the program still starts";
}

TEST_F(StartupTest, ProgramFolderOptionChangesInstalledDir) {
  const std::string folder = Temp() / "Program Folder";
  MakeFolder(folder);
  Process vd = StartVd("-d " + ShortPath(folder));
  EXPECT_EQ(ProgramValue("InstalledDir"), folder + "\\") << "the folder is recorded in its long form";
  EXPECT_TRUE(FileExists(DefaultListPath())) << "the default list still loads";
}

TEST_F(StartupTest, SecondCopyEndsByItselfAndTheFirstShowedItsSplash) {
  const std::string picture = Temp() / "a.bmp";
  WriteFileText(picture, MakeBmp(640, 480, 0, 128, 255));
  WriteFileText(DefaultListPath(), picture + "\r\n");
  Process first = Start(VdExe(), "", Temp().Path());
  // Record every status text the progress form shows while the first copy
  // starts. The text is read from the window manager's copy, which answers
  // while VD is busy with a step: a sent WM_GETTEXT would wait for the step's end.
  std::vector<std::string> statuses;
  auto statusOf = [](HWND form) {
    HWND label = ::GetDlgItem(form, ids::lblPro);
    char text[256] = "";
    const int n = label ? ::GetWindowTextA(label, text, sizeof text) : 0;
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
  };
  WaitUntil(
      [&] {
        if (HWND w = FindProcessWindow(first.Pid(), kFormClass, kWaitTitle)) {
          std::string s = statusOf(w);
          if (!s.empty() && (statuses.empty() || statuses.back() != s)) statuses.push_back(s);
        }
        return MainWindow(first) && !FindProcessWindow(first.Pid(), kFormClass, kWaitTitle) && statuses.size() >= 5;
      },
      15000, 1);
  ASSERT_TRUE(WaitReady(first));
  const std::vector<std::string> expected = {"Starting Application...", "Reading application settings...",
                                             "Loading windows...", "Loading wallpapers list...",
                                             "Changing Wallpaper..."};
  EXPECT_EQ(statuses, expected);

  // The second copy shows its splash only for a moment: it ends as soon as
  // the splash is on the screen, without waiting.
  Process second = Start(VdExe(), "", Temp().Path());
  bool secondHadMainWindow = false;
  EXPECT_TRUE(WaitUntil(
      [&] {
        secondHadMainWindow |= FindProcessWindow(second.Pid(), kFormClass, kMainTitle) != nullptr;
        return !second.Running();
      },
      2500, 5))
      << "the second copy ends by itself";
  EXPECT_FALSE(secondHadMainWindow) << "a relay must never find the ending copy's window";
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(MainWindow(first));
}

TEST_F(StartupTest, UnknownOptionsAndHugeCommandLinesLoadNoList) {
  const std::string list = Temp() / "x.vdl";
  const std::string picture = Temp() / "a.bmp";
  WriteFileText(picture, MakeBmp(4, 4, 0, 0, 255));
  WriteFileText(list, picture + "\r\n");
  WriteFileText(DefaultListPath(), picture + "\r\n");
  for (const std::string& args : {"-L " + list, list, "-x" + std::string(30000, 'a')}) {
    Process vd = StartVd(args);
    HWND main = MainWindow(vd);
    ASSERT_TRUE(main) << args.substr(0, 40);
    EXPECT_TRUE(ListBoxItems(::GetDlgItem(main, ids::imgList)).empty()) << args.substr(0, 40);
    vd.Kill();
  }
}

}  // namespace
}  // namespace e2e
