// The notification icon and its menu: the icon and tip follow the enabled
// state, a double-click opens the main window, the menu's commands work, and
// Exit asks first. Also the main window's own shape, close picture and drag.
#include "harness.h"

#include <shellapi.h>

#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

// Positions of the tray menu's entries for ChooseTrayEntry (separators are skipped).
constexpr int kOpen = 1, kChange = 2, kDisable = 8, kExit = 9;

class TrayTest : public VdTest {
 protected:
  void SetUp() override { SweepTray(); }  // icons of programs ended by earlier tests
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }
  void Settings(const char* enabled) {
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", enabled);
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", "0");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Wallpaper Cycle Time", "2");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");  // list order: the next entry is known
  }
};

TEST_F(TrayTest, IconTipLabelAndStoredStateFollowDisableAndEnable) {
  Settings("1");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::Enabled; }, 10000)) << "the enabled icon at start";
  EXPECT_EQ(TrayTip(), "Vexa Desktop: Enabled");
  const std::string cycleText = ControlText(main, ids::lblTime);
  EXPECT_NE(cycleText, "Disabled");

  ASSERT_TRUE(ChooseTrayEntry(main, kDisable));
  EXPECT_TRUE(WaitUntil([&] { return ControlText(main, ids::lblTime) == "Disabled"; }, 5000));
  EXPECT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::Disabled; }, 5000));
  EXPECT_EQ(TrayTip(), "Vexa Desktop: Disabled");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "Enabled VD"), "0");

  ASSERT_TRUE(ChooseTrayEntry(main, kDisable));  // the same entry now enables
  EXPECT_TRUE(WaitUntil([&] { return ControlText(main, ids::lblTime) == cycleText; }, 5000));
  EXPECT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::Enabled; }, 5000));
  EXPECT_EQ(TrayTip(), "Vexa Desktop: Enabled");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "Enabled VD"), "1");

  ASSERT_TRUE(ChooseTrayEntry(main, kDisable));
  EXPECT_TRUE(WaitUntil([] { return RegRead(HKEY_CURRENT_USER, kProgramKey, "Enabled VD") == "0"; }, 5000));
  vd.Kill();
  // Started disabled: the disabled icon and tip from the start.
  Process again = StartVd();
  EXPECT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::Disabled; }, 10000));
  EXPECT_EQ(TrayTip(), "Vexa Desktop: Disabled");
}

TEST_F(TrayTest, ExitAsksAndOnlyYesEndsTheProgramAndRemovesTheIcon) {
  Settings("0");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::Disabled; }, 10000));

  ASSERT_TRUE(ChooseTrayEntry(main, kExit));
  HWND ask = WaitForDialog(vd.Pid(), "Vexa Desktop");
  ASSERT_TRUE(ask);
  EXPECT_EQ(MessageBoxText(ask),
            "This application should be running if you want your Desktop Wallpaper Change automatically.\r\n"
            "Are you sure you want to exit?");
  EXPECT_TRUE(::GetDlgItem(ask, IDYES) && ::GetDlgItem(ask, IDNO) && !::GetDlgItem(ask, IDCANCEL));
  PressButton(ask, IDNO);
  ASSERT_TRUE(WaitDialogGone(ask));
  EXPECT_FALSE(vd.WaitExit(1500)) << "No keeps the program";
  EXPECT_EQ(TrayIconLook(), TrayLook::Disabled);

  ASSERT_TRUE(ChooseTrayEntry(main, kExit));
  ask = WaitForDialog(vd.Pid(), "Vexa Desktop");
  ASSERT_TRUE(ask);
  PressButton(ask, IDYES);
  EXPECT_TRUE(vd.WaitExit(10000));
  EXPECT_EQ(vd.ExitCode(), 0u);
  EXPECT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::None; }, 5000)) << "the icon goes with the program";
}

TEST_F(TrayTest, IconComesBackWhenTheShellRebuildsTheNotificationArea) {
  Settings("1");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::Enabled; }, 10000));
  // A restarted shell has lost every icon ...
  NOTIFYICONDATAA gone{};
  gone.cbSize = sizeof gone;
  gone.hWnd = ::GetDlgItem(main, ids::SysTrayPic);
  gone.uID = 1;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &gone));
  ASSERT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::None; }, 5000));
  // ... and tells every program so.
  ::PostMessageA(main, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::Enabled; }, 5000));
  EXPECT_EQ(TrayTip(), "Vexa Desktop: Enabled");
}

std::uint32_t Stripes(int x, int) { return x % 200 < 100 ? 0x20A040 : 0xE0E0E0; }

TEST_F(TrayTest, ChangeWallpaperFromTheMenuSurvivesAStormOfClicks) {
  Settings("0");
  const std::string a = Temp() / "first.jpg", b = Temp() / "second.jpg";
  ASSERT_TRUE(MakePicture(a, 1920, 1080, "jpg", Stripes));
  ASSERT_TRUE(MakeSolidPicture(b, 1920, 1080, "jpg", 0x3050C0));
  WriteFileText(DefaultListPath(), a + "\r\n" + b + "\r\n");
  RegWrite(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", "2");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);
  ASSERT_EQ(ListBoxSelection(list), -1);

  ASSERT_TRUE(ChooseTrayEntry(main, kChange));
  std::optional<Bitmap> bmp;
  ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 15000, 50));
  EXPECT_EQ(ListBoxSelection(list), 0);
  EXPECT_LT(ColourDistance(bmp->At(10, 10), 0x20A040), 24);
  // The change goes on after its bitmap is written (the desktop is told
  // of it); a request before it ends joins it and writes nothing new.
  ASSERT_TRUE(WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 15000));

  // While the next change runs: double-clicks, right clicks and more change
  // commands arrive. At most one change runs; the program survives.
  ::DeleteFileA(BitmapPath().c_str());
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  for (int i = 0; i < 30; ++i) {
    PostTrayMessage(main, i % 2 ? WM_LBUTTONDBLCLK : WM_RBUTTONUP);
    ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  }
  // Close whatever menus the clicks bring up (each holds the commands behind
  // it) until the change has written its picture and every command is done.
  auto closeMenus = [] {
    if (HWND menu = VisiblePopupMenu()) MenuKeys(menu, {VK_ESCAPE});
  };
  ASSERT_TRUE(WaitUntil([&] { return closeMenus(), (bmp = ReadBmp(BitmapPath())).has_value(); }, 60000, 50));
  EXPECT_TRUE(vd.Running());
  EXPECT_TRUE(WaitUntil([&] { return closeMenus(), ::IsWindowEnabled(main) && !VisiblePopupMenu() && Answers(main); }, 60000))
      << "every change finished";
  // The menu still works afterwards.
  ASSERT_TRUE(ChooseTrayEntry(main, kDisable));
  EXPECT_TRUE(WaitUntil([] { return RegRead(HKEY_CURRENT_USER, kProgramKey, "Enabled VD") == "1"; }, 5000));
}

TEST_F(TrayTest, MainWindowOpensOnDoubleClickIsShapedClosesAndDrags) {
  Settings("0");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_FALSE(IsVisible(main));
  PostTrayMessage(main, WM_LBUTTONDOWN);
  PostTrayMessage(main, WM_LBUTTONUP);
  ::Sleep(800);
  EXPECT_FALSE(IsVisible(main)) << "a single click does nothing";
  PostTrayMessage(main, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(main); }, 5000));

  // The outline follows the skin: its corners are cut away.
  RECT wr{};
  ::GetWindowRect(main, &wr);
  HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(main, rgn), ERROR) << "the window has a region";
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
  EXPECT_FALSE(::PtInRegion(rgn, w - 1, h - 1));
  EXPECT_TRUE(::PtInRegion(rgn, w / 2, h / 2));
  EXPECT_TRUE(::PtInRegion(rgn, w / 2, 0));
  EXPECT_TRUE(::PtInRegion(rgn, 0, h / 2));
  ::DeleteObject(rgn);

  // A real drag on the bare surface moves the window by the mouse's way.
  const int sx = wr.left + w / 2, sy = wr.bottom - 20;  // between the list and the buttons
  ASSERT_TRUE(DragWindow(main, {sx, sy}, {sx - 80, sy - 40})) << "a press on the bare surface starts a drag";
  RECT moved{};
  EXPECT_TRUE(WaitUntil([&] { return ::GetWindowRect(main, &moved) && moved.left < wr.left - 40; }, 5000));
  EXPECT_NEAR(moved.left, wr.left - 80, 12);
  EXPECT_NEAR(moved.top, wr.top - 40, 12);

  // The close picture puts the window away; the program keeps running.
  HWND close = ::GetDlgItem(main, ids::imgClose);
  ClickControl(close);
  EXPECT_TRUE(WaitUntil([&] { return !IsVisible(main); }, 5000));
  EXPECT_TRUE(vd.Running());
  ASSERT_TRUE(ChooseTrayEntry(main, kOpen));
  EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, 5000)) << "Open shows it again";
}

}  // namespace
}  // namespace e2e
