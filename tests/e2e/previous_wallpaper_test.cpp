// "Previous Wallpaper": going back through what was shown, forward again
// with Change, across an Exit and a start, from the tray menu and the hot key.
#include "harness.h"

#include <algorithm>
#include <vector>

#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

// Positions of the tray menu's entries for ChooseTrayEntry (separators are skipped).
constexpr int kChange = 2, kPrevious = 3, kExit = 9;

class PreviousWallpaperTest : public VdTest {
 protected:
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }
  std::string HistoryPath() const { return LocalAppDataOf(Temp().Path()) + "\\Vexa Desktop\\History.txt"; }

  // The colour of the next wallpaper VD writes, after the bitmap was taken
  // away, once that change has ended (its progress form gone): a change
  // asked for while one still runs would join it. Only then is the bitmap
  // taken away again: the desktop reads it after it is written.
  std::uint32_t NextWallpaperColour(const std::string& bitmap) const {
    std::optional<Bitmap> bmp;
    if (!WaitUntil([&] { return (bmp = ReadBmp(bitmap)).has_value(); }, 20000, 50)) return 0xFFFFFFFF;
    const std::uint32_t c = bmp->At(8, 8);
    for (const DWORD pid : ProcessIdsOf("VD.exe"))
      WaitUntil([pid] { return !FindProcessWindow(pid, kFormClass, kWaitTitle); }, 10000);
    ::DeleteFileA(bitmap.c_str());
    return c;
  }

  // The text bands of the open popup menu, top to bottom (separators, a
  // line or two high, left out); for each, whether any of its text is dark
  // (an entry that can be chosen) rather than greyed.
  static std::vector<bool> MenuEntriesDark(HWND menu) {
    RECT r{};
    ::GetWindowRect(menu, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const std::vector<std::uint32_t> px = CaptureScreen(r);
    const std::uint32_t back = px[static_cast<std::size_t>(h / 2) * w + 4];
    std::vector<bool> dark;
    int bandStart = -1;
    bool bandDark = false;
    for (int y = 3; y < h - 3; ++y) {
      bool ink = false, black = false;
      for (int x = 6; x < w - 6; ++x) {
        const std::uint32_t c = px[static_cast<std::size_t>(y) * w + x];
        if (ColourDistance(c, back) > 40) ink = true;
        if (ColourDistance(c, 0x000000) < 70) black = true;
      }
      if (ink && bandStart < 0) {
        bandStart = y;
        bandDark = false;
      }
      if (ink) bandDark = bandDark || black;
      if (!ink && bandStart >= 0) {
        if (y - bandStart >= 5) dark.push_back(bandDark);
        bandStart = -1;
      }
    }
    return dark;
  }

  // Opens the tray menu and reads which entries are greyed, then closes it.
  static std::vector<bool> TrayMenuEntriesDark(HWND main) {
    PostTrayMessage(main, WM_RBUTTONDOWN);
    PostTrayMessage(main, WM_RBUTTONUP);
    HWND menu = WaitForPopupMenu();
    if (!menu) return {};
    ::Sleep(500);  // painted
    std::vector<bool> dark = MenuEntriesDark(menu);
    MenuKeys(menu, {VK_ESCAPE});
    WaitNoPopupMenu();
    return dark;
  }

  static bool PreviousOffered(HWND main) {
    const std::vector<bool> dark = TrayMenuEntriesDark(main);
    return dark.size() >= 3 && dark[2];
  }

  static void PressShiftF7() {
    INPUT in[4] = {};
    for (INPUT& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[3].ki.wVk = VK_SHIFT;
    in[1].ki.wVk = in[2].ki.wVk = VK_F7;
    in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(4, in, sizeof(INPUT));
  }
};

constexpr std::uint32_t kRed = 0xE02020, kGreen = 0x20C040, kBlue = 0x2040E0;

TEST_F(PreviousWallpaperTest, PreviousGoesBackChangeGoesForwardAndTheHistorySurvivesARestart) {
  FixedStyle(2);  // stretched: a small picture fills the screen
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  const std::string red = dir + "\\red.bmp", green = dir + "\\green.bmp", blue = dir + "\\blue.bmp";
  ASSERT_TRUE(MakeSolidPicture(red, 64, 48, "bmp", kRed));
  ASSERT_TRUE(MakeSolidPicture(green, 64, 48, "bmp", kGreen));
  ASSERT_TRUE(MakeSolidPicture(blue, 64, 48, "bmp", kBlue));
  WriteFileText(DefaultListPath(), red + "\r\n" + green + "\r\n" + blue + "\r\n");
  const std::string bmp = BitmapPath();

  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);
  // Nothing shown yet: "Previous Wallpaper" is greyed, "Change Wallpaper" is not.
  std::vector<bool> dark = TrayMenuEntriesDark(main);
  ASSERT_GE(dark.size(), 4u);
  EXPECT_TRUE(dark[1]) << "Change Wallpaper";
  EXPECT_FALSE(dark[2]) << "Previous Wallpaper is greyed with nothing to go back to";
  EXPECT_TRUE(dark[3]) << "Settings";

  ASSERT_TRUE(ChooseTrayEntry(main, kChange));
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kRed), 24);
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kGreen), 24);
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kBlue), 24);
  EXPECT_EQ(ListBoxSelection(list), 2);

  dark = TrayMenuEntriesDark(main);
  ASSERT_GE(dark.size(), 3u);
  EXPECT_TRUE(dark[2]) << "Previous Wallpaper can be chosen now";
  // Back one step at a time, from the menu and by command.
  ASSERT_TRUE(ChooseTrayEntry(main, kPrevious));
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kGreen), 24);
  ::PostMessageA(main, WM_COMMAND, ids::mnuPrevious, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kRed), 24);
  EXPECT_TRUE(WaitUntil([] { return ColourDistance(ScreenPixel(500, 300), kRed) < 24; }, 15000)) << "the desktop shows it";
  // At the oldest entry: greyed again, and a Previous sent anyway changes nothing.
  dark = TrayMenuEntriesDark(main);
  ASSERT_GE(dark.size(), 3u);
  EXPECT_FALSE(dark[2]);
  ::PostMessageA(main, WM_COMMAND, ids::mnuPrevious, 0);
  EXPECT_FALSE(WaitUntil([&] { return FileExists(bmp); }, 1500)) << "nothing before the first";

  // Change goes forward through what was shown, leaving the list's selection
  // where the last new picture was taken, then takes new pictures as ever.
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kGreen), 24);
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kBlue), 24);
  EXPECT_EQ(ListBoxSelection(list), 2);
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kRed), 24) << "the list's next entry after blue";
  EXPECT_EQ(ListBoxSelection(list), 0);

  // Kept in the user's application data: red, green, blue, red; one step back.
  ::PostMessageA(main, WM_COMMAND, ids::mnuPrevious, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(bmp), kBlue), 24);
  ASSERT_TRUE(WaitUntil([&] {
    const auto text = ReadFileText(HistoryPath());
    return text && text->find("position 1") != std::string::npos;
  }, 5000)) << HistoryPath();
  const std::string kept = *ReadFileText(HistoryPath());
  EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n'), 6) << kept;
  EXPECT_NE(kept.find("2\t" + red), std::string::npos) << kept;

  ASSERT_TRUE(ChooseTrayEntry(main, kExit));
  ASSERT_TRUE(ConfirmExit(vd));

  // Started again with the style set to Centered: going back shows the
  // picture as it was shown, stretched over the whole screen, and the hot
  // key (the change key F7 with Shift) goes back as the menu does.
  RegWrite(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", "0");
  Process again = StartVd();
  HWND main2 = MainWindow(again);
  ASSERT_TRUE(main2);
  ASSERT_TRUE(WaitUntil([&] { return PreviousOffered(main2); }, 5000))
      << "the kept history offers Previous after a start";
  ::DeleteFileA(bmp.c_str());
  PressShiftF7();
  const std::uint32_t c = NextWallpaperColour(bmp);
  EXPECT_LT(ColourDistance(c, kGreen), 24) << std::hex << c;
  // The bitmap is composed at screen size: centred, its corner would be the desktop's colour.
  EXPECT_TRUE(WaitUntil([] { return ColourDistance(ScreenPixel(20, 20), kGreen) < 24; }, 15000))
      << "stretched as recorded, not centred: " << std::hex << ScreenPixel(20, 20);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle"), "2");
}

TEST_F(PreviousWallpaperTest, ADamagedOrHugeHistoryFileStartsQuicklyKeepsWhatIsWholeAndGrowsByHand) {
  FixedStyle(2);
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  const std::string red = dir + "\\red.bmp", green = dir + "\\green.bmp", blue = dir + "\\blue.bmp",
                    gone = dir + "\\gone.bmp";
  ASSERT_TRUE(MakeSolidPicture(red, 64, 48, "bmp", kRed));
  ASSERT_TRUE(MakeSolidPicture(green, 64, 48, "bmp", kGreen));
  ASSERT_TRUE(MakeSolidPicture(blue, 64, 48, "bmp", kBlue));
  WriteFileText(DefaultListPath(), red + "\r\n" + blue + "\r\n");
  // Newest first: green on screen, a picture since deleted, red (stretched),
  // then junk and 10 MB of a line cut off without its end.
  std::string text = "Vexa Desktop history 1\r\nposition 0\r\n2\t" + green + "\r\n2\t" + gone + "\r\n2\t" + red +
                     "\r\nnot an entry\r\n\x01\x02\x03\r\n";
  text += "2\t" + std::string(10u << 20, 'x');
  MakeFolder(LocalAppDataOf(Temp().Path()));
  MakeFolder(LocalAppDataOf(Temp().Path()) + "\\Vexa Desktop");
  WriteFileText(HistoryPath(), text);
  // The automatic style would tile a picture this small: going back keeps the recorded one.
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", "1");

  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(main);
  EXPECT_TRUE(Answers(main, 2000));
  // The missing picture is skipped: Previous shows red, stretched.
  ASSERT_TRUE(WaitUntil([&] { return PreviousOffered(main); }, 5000));
  ::PostMessageA(main, WM_COMMAND, ids::mnuPrevious, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(BitmapPath()), kRed), 24);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle"), "2");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper"), "0");
  // The file is written anew, whole and small.
  ASSERT_TRUE(WaitUntil([&] {
    const auto t = ReadFileText(HistoryPath());
    return t && t->size() < 4096 && t->find("position 2") != std::string::npos;
  }, 5000));

  // A picture applied by hand is recorded too, in place of what lay ahead
  // (green); Previous then goes back to the one shown before it.
  ::PostMessageA(main, WM_COMMAND, ids::mnuOpen, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(main); }, 5000));
  DoubleClickListItem(::GetDlgItem(main, ids::imgList), 1);
  EXPECT_LT(ColourDistance(NextWallpaperColour(BitmapPath()), kBlue), 24);
  ASSERT_TRUE(WaitUntil([&] {
    const auto t = ReadFileText(HistoryPath());
    return t && t->find("position 0\r\n") != std::string::npos && t->find(blue) != std::string::npos;
  }, 5000));
  ::PostMessageA(main, WM_COMMAND, ids::mnuPrevious, 0);
  EXPECT_LT(ColourDistance(NextWallpaperColour(BitmapPath()), kRed), 24) << "the picture shown before it";
  const auto kept = ReadFileText(HistoryPath());
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->find(green), std::string::npos) << *kept;
  EXPECT_TRUE(vd.Running());
}

}  // namespace
}  // namespace e2e
