// Commands that meet: a relay that arrives while the user loads a list, the
// tray menu and Exit while a big picture is being applied, and many relays
// from many programs while changes run. Each command takes effect whole and
// once, in the order it came, and VD answers meanwhile.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// Positions of the tray menu's entries for the down arrow (separators are skipped).
constexpr int kChange = 2, kExit = 9;
constexpr std::uint32_t kBigColour = 0x3060A0, kSmallColour = 0xC04020;

std::string Lines(const std::vector<std::string>& paths) {
  std::string s;
  for (const std::string& p : paths) s += p + "\r\n";
  return s;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

int ListCount(HWND list) {
  DWORD_PTR n = 0;
  ::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &n);
  return static_cast<int>(n);
}

class InterleavingTest : public VdTest {
 protected:
  void SetUp() override {
    SweepTray();  // icons of programs ended by earlier tests
    FixedStyle(2);
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");  // list order: the next entry is known
  }
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }
  // A picture whose change keeps VD busy for seconds under Wine.
  std::string BigPicture() {
    const std::string path = Temp() / "big.jpg";
    EXPECT_TRUE(MakeLargeJpeg(path, 12000, 9000, kBigColour));
    return path;
  }
  std::string SmallPicture(const std::string& name) {
    const std::string path = Temp() / name;
    WriteFileText(path, MakeBmp(64, 48, kSmallColour & 255, (kSmallColour >> 8) & 255, kSmallColour >> 16));
    return path;
  }
  static bool ProgressFormUp(const Process& vd) {
    return IsVisible(FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle));
  }
  // The copies of VD that relays start have ended, and for a second no
  // progress form has shown and the list has kept its length.
  static bool WaitSettled(const Process& vd, HWND list, int timeoutMs) {
    int quiet = 0, count = -1;
    return WaitUntil(
        [&] {
          const bool alone = ProcessIdsOf("VD.exe") == std::vector<DWORD>{vd.Pid()};
          const int now = ListCount(list);
          quiet = alone && !ProgressFormUp(vd) && now == count ? quiet + 1 : 0;
          count = now;
          return quiet >= 20;
        },
        timeoutMs, 50);
  }
  struct MenuSeen {
    HWND menu = nullptr;
    bool changeStillRan = false, bitmapStillOld = false;  // when the menu appeared
  };
  // Right-clicks the tray icon while a change runs and waits for the menu.
  MenuSeen TrayMenuDuringChange(const Process& vd, HWND main, const std::optional<std::string>& oldBitmap) const {
    PostTrayMessage(main, WM_RBUTTONDOWN);
    PostTrayMessage(main, WM_RBUTTONUP);
    MenuSeen seen;
    WaitUntil([&] { return (seen.menu = VisiblePopupMenu()) != nullptr; }, 60000, 5);
    seen.changeStillRan = ProgressFormUp(vd);
    seen.bitmapStillOld = ReadFileText(BitmapPath()) == oldBitmap;
    if (seen.menu) ::Sleep(100);  // the menu reads keys once its loop runs
    return seen;
  }
};

// A relayed list that arrives while the user's list loads is loaded after it,
// never into it.
TEST_F(InterleavingTest, ARelayedListDuringAMenuLoadListReplacesTheListWhole) {
  // List A: thousands of entries (a hundred pictures, each listed many times,
  // in an order no sort gives); list B: three other pictures.
  MakeFolder(Temp() / "a");
  std::vector<std::string> aPictures, a, b;
  for (int i = 0; i < 100; ++i) {
    aPictures.push_back(Temp() / ("a\\a" + std::to_string(i) + ".jpg"));
    WriteFileText(aPictures.back(), "");
  }
  for (int i = 0; i < 8000; ++i) a.push_back(aPictures[static_cast<std::size_t>(i * 37 % 100)]);
  for (int i = 0; i < 3; ++i) b.push_back(SmallPicture("b" + std::to_string(i) + ".bmp"));
  const std::string listA = Temp() / "A.vdl", listB = Temp() / "B.vdl";
  WriteFileText(listA, Lines(a));
  WriteFileText(listB, Lines(b));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);

  ClickControl(::GetDlgItem(main, ids::ButtonsBase + 2));
  HWND menu = WaitForPopupMenu();
  ASSERT_TRUE(menu);
  MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});  // "Load List"
  HWND open = WaitForDialog(vd.Pid(), "Open Wallpapers' List");
  ASSERT_TRUE(open);
  AnswerFileDialog(open, listA);
  // While A loads (the progress form shows, the list fills), Explorer hands over B.
  const auto t0 = Clock::now();
  WaitUntil([&] { return ProgressFormUp(vd) || ListCount(list) > 0; }, 5000, 2);
  Process relay = Start(PelorinExe(), "-l " + listB, Temp().Path());
  ASSERT_TRUE(relay.WaitExit(75000));
  EXPECT_EQ(relay.ExitCode(), 0u) << "VD took the relayed list";
  ASSERT_TRUE(WaitSettled(vd, list, 60000));
  std::cout << "[ loading ] both lists handled "
            << std::chrono::duration<double>(Clock::now() - t0).count() << " s after the dialog was answered\n";

  const std::string saved = ReadFileText(DefaultListPath()).value_or("");
  const std::vector<std::string> lines = SplitLines(saved);
  EXPECT_TRUE(saved == Lines(a) || saved == Lines(b))
      << "the default list is neither A nor B but " << lines.size() << " lines starting "
      << (lines.empty() ? "" : lines.front()) << " and ending " << (lines.empty() ? "" : lines.back());
  EXPECT_EQ(ListCount(list), static_cast<int>(lines.size())) << "the list box shows the saved list";
  if (saved == Lines(b)) {
    EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"b0", "b1", "b2"}));
  }
}

// The tray menu opens while a big picture is applied, and closing it
// changes nothing: the change completes once.
TEST_F(InterleavingTest, TheTrayMenuOpensDuringABigChangeWhichThenCompletesOnce) {
  const std::string big = BigPicture(), small = SmallPicture("small.bmp");
  WriteFileText(DefaultListPath(), Lines({big, small}));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);

  ASSERT_TRUE(ChooseTrayEntry(main, kChange));
  ASSERT_TRUE(WaitUntil([&] { return ProgressFormUp(vd); }, 10000, 5)) << "the change to the big picture began";
  const MenuSeen seen = TrayMenuDuringChange(vd, main, std::nullopt);
  ASSERT_TRUE(seen.menu) << "no tray menu";
  EXPECT_TRUE(seen.changeStillRan) << "the menu came only after the change";
  EXPECT_TRUE(seen.bitmapStillOld) << "the menu came only after the wallpaper bitmap was written";
  MenuKeys(seen.menu, {VK_ESCAPE});
  ASSERT_TRUE(WaitNoPopupMenu());

  ASSERT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()) && !ProgressFormUp(vd); }, 60000, 50));
  std::optional<Bitmap> bmp = ReadBmp(BitmapPath());
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->width, 1024);
  EXPECT_LE(ColourDistance(bmp->At(512, 384), kBigColour), 12);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), BitmapPath());
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle"), "2");
  // Once: no second change follows (it would apply the next entry).
  const std::optional<std::string> applied = ReadFileText(BitmapPath());
  ::Sleep(4000);
  EXPECT_FALSE(ProgressFormUp(vd));
  EXPECT_TRUE(ReadFileText(BitmapPath()) == applied) << "the wallpaper changed again";
  EXPECT_EQ(ListBoxSelection(list), 0);
  EXPECT_TRUE(vd.Running());
}

// Exit while a big picture is applied ends VD soon, and leaves the desktop
// showing a whole wallpaper bitmap: the old one, or the new one completed.
// A picture relayed during the change, answered but not yet run, is in the
// list file when VD has ended.
TEST_F(InterleavingTest, ExitDuringABigChangeEndsVdAndLeavesAWholeWallpaper) {
  const std::string small = SmallPicture("small.bmp"), big = BigPicture();
  WriteFileText(DefaultListPath(), Lines({small, big}));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::Disabled; }, 10000));
  // The small picture first: the wallpaper before the big change.
  ASSERT_TRUE(ChooseTrayEntry(main, kChange));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()) && !ProgressFormUp(vd); }, 20000, 50));
  const std::optional<std::string> oldBitmap = ReadFileText(BitmapPath());

  ASSERT_TRUE(ChooseTrayEntry(main, kChange));
  ASSERT_TRUE(WaitUntil([&] { return ProgressFormUp(vd); }, 10000, 5)) << "the change to the big picture began";
  const std::string relayed = SmallPicture("relayed.bmp");
  Process relay = Start(PelorinExe(), "-i " + relayed, Temp().Path());
  ASSERT_TRUE(relay.WaitExit(30000));
  EXPECT_EQ(relay.ExitCode(), 0u) << "VD took the relayed picture";
  const MenuSeen seen = TrayMenuDuringChange(vd, main, oldBitmap);
  ASSERT_TRUE(seen.menu) << "no tray menu";
  EXPECT_TRUE(seen.changeStillRan && seen.bitmapStillOld) << "Exit could be chosen only after the change";
  for (int i = 0; i < kExit; ++i) MenuKeys(seen.menu, {VK_DOWN});
  MenuKeys(seen.menu, {VK_RETURN});
  HWND ask = WaitForDialog(vd.Pid(), kMainTitle, 30000);
  ASSERT_TRUE(ask);
  EXPECT_NE(MessageBoxText(ask).find("Are you sure you want to exit?"), std::string::npos);
  const auto yes = Clock::now();
  PressButton(ask, IDYES);
  EXPECT_TRUE(vd.WaitExit(20000)) << "VD still runs 20 s after Yes";
  std::cout << "[ exit    ] VD ended " << std::chrono::duration<double>(Clock::now() - yes).count()
            << " s after Yes\n";
  EXPECT_EQ(vd.ExitCode(), 0u);
  EXPECT_TRUE(ListFileIs(Lines({small, big, relayed}))) << "the relayed picture was lost";

  // The bitmap is whole, one picture all over; the system points at it and shows it.
  std::optional<Bitmap> bmp = ReadBmp(BitmapPath());
  ASSERT_TRUE(bmp);
  ASSERT_EQ(bmp->width, 1024);
  ASSERT_EQ(bmp->height, 768);
  const std::uint32_t shownInBitmap = bmp->At(0, 0);
  EXPECT_TRUE(ColourDistance(shownInBitmap, kSmallColour) <= 12 || ColourDistance(shownInBitmap, kBigColour) <= 12);
  int mixed = 0;
  for (int y = 0; y < 768; y += 16)
    for (int x = 0; x < 1024; x += 16) mixed += ColourDistance(bmp->At(x, y), shownInBitmap) > 12;
  EXPECT_EQ(mixed, 0) << "the bitmap holds parts of two pictures";
  std::cout << "[ exit    ] the wallpaper is the " << (ColourDistance(shownInBitmap, kBigColour) <= 12 ? "new" : "old")
            << " one\n";
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), BitmapPath());
  EXPECT_TRUE(WaitUntil([&] { return ColourDistance(ScreenPixel(5, 5), shownInBitmap) <= 12; }, 15000))
      << "the desktop shows another wallpaper than the bitmap holds";
  // Nothing half-written is left beside it.
  std::vector<std::string> files;
  WIN32_FIND_DATAA fd;
  HANDLE find = ::FindFirstFileA((Temp() / "*").c_str(), &fd);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &fd))
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(fd.cFileName);
  if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files,
            (std::vector<std::string>{"VDesk.ini", "Vexa Desktop.bmp", "big.jpg", "relayed.bmp", "small.bmp"}));
  EXPECT_TRUE(WaitUntil([] { return TrayIconLook() == TrayLook::None; }, 5000)) << "the icon goes with the program";
}

// Ten programs relay fifteen pictures each while changes are asked for every
// two seconds: each picture is listed once, each program's in its order.
TEST_F(InterleavingTest, RelaysFromTenProgramsDuringChangesAreEachTakenOnceInOrder) {
  const std::string changing = Temp() / "changing.jpg";
  ASSERT_TRUE(MakeLargeJpeg(changing, 6000, 4500, kBigColour));
  constexpr int kPrograms = 10, kEach = 15;  // 150 relays: Wine takes about a fifth of a second to start each
  std::vector<std::vector<std::string>> sent(kPrograms);
  for (int k = 0; k < kPrograms; ++k)
    for (int j = 0; j < kEach; ++j) {
      sent[k].push_back(Temp() / ("r" + std::to_string(k) + "-" + std::to_string(j) + ".bmp"));
      WriteFileText(sent[k].back(), MakeBmp(4, 4, 40, 90, 200));
    }
  // Pelorin alone in a folder, so that it starts no copy of VD that ends at
  // once: a hundred and fifty of those take minutes under Wine.
  const std::string alone = Temp() / "relay alone", pelorin = alone + "\\Pelorin.exe";
  MakeFolder(alone);
  ASSERT_TRUE(::CopyFileA(PelorinExe().c_str(), pelorin.c_str(), FALSE));
  WriteFileText(DefaultListPath(), Lines({changing}));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);
  DoubleClickListItem(list, 0);  // selects the picture that each change applies again
  ASSERT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()) && !ProgressFormUp(vd); }, 20000, 50));

  const auto t0 = Clock::now();
  std::array<std::atomic<int>, kPrograms> taken{};
  std::atomic<int> ended{0};
  std::vector<std::thread> programs;
  for (int k = 0; k < kPrograms; ++k)
    programs.emplace_back([&, k] {
      for (const std::string& picture : sent[static_cast<std::size_t>(k)]) {
        Process p = Start(pelorin, "-i " + picture, Temp().Path(), alone);
        if (p.WaitExit(75000) && p.ExitCode() == 0u) ++taken[static_cast<std::size_t>(k)];
        ++ended;
      }
    });
  // Meanwhile "Set as wallpaper" on the selected picture every two seconds;
  // each change is seen as a new write of the bitmap.
  std::vector<ULONGLONG> writes;
  for (int tick = 0; ended < kPrograms * kEach && tick < 900; ++tick) {
    if (tick % 20 == 0) ::PostMessageA(main, WM_COMMAND, ids::mnuSet, 0);
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (::GetFileAttributesExA(BitmapPath().c_str(), GetFileExInfoStandard, &d)) {
      const ULONGLONG t = (ULONGLONG{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime;
      if (writes.empty() || writes.back() != t) writes.push_back(t);
    }
    ::Sleep(100);
  }
  for (std::thread& t : programs) t.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  std::cout << "[ relays  ] " << kPrograms * kEach << " relays in " << seconds << " s during " << writes.size() - 1
            << " changes\n";
  ASSERT_TRUE(WaitSettled(vd, list, 60000));
  EXPECT_GE(writes.size(), 4u) << "changes ran while the relays came";

  const std::vector<std::string> saved = SplitLines(ReadFileText(DefaultListPath()).value_or(""));
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(saved.front(), changing);
  EXPECT_EQ(ListCount(list), static_cast<int>(saved.size()));
  for (int k = 0; k < kPrograms; ++k) {
    std::vector<std::string> fromK;
    for (const std::string& line : saved)
      if (line.rfind(Temp() / ("r" + std::to_string(k) + "-"), 0) == 0) fromK.push_back(line);
    EXPECT_EQ(taken[static_cast<std::size_t>(k)], kEach) << "relays VD took from program " << k;
    EXPECT_EQ(fromK, sent[static_cast<std::size_t>(k)]) << "program " << k;
  }
  EXPECT_EQ(saved.size(), 1u + kPrograms * kEach);
  EXPECT_TRUE(vd.Running());
}

}  // namespace
}  // namespace e2e
