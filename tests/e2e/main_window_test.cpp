// The main window as the user sees it: an automatic change while the style
// list is open, the window after a change, the location tip, the layout.
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "harness.h"
#include "main/control_ids.h"
#include "dialogs/dialog_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

// Whether an entry line of a list file (not a watched folder's line, not an
// exclusion) contains part.
bool EntryLineHas(const std::string& text, const std::string& part) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (!line.empty() && line.front() != '-' && line.back() != '*' && line.find(part) != std::string::npos) return true;
    start = end + 2;
  }
  return false;
}

class MainWindowTest : public VdTest {
 protected:
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }

  static void LeftClick(HWND w) {
    ::PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::PostMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }

  // A real mouse movement to a screen point.
  static void MoveMouse(int x, int y) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = x * 65535 / (w - 1);
    in.mi.dy = y * 65535 / (h - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof in);
  }
  // Rests the mouse at (x, y) until the condition holds, nudging it by a pixel
  // every second: on a busy machine the first rest can go unnoticed.
  static bool HoverUntil(int x, int y, const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 1000) {
      MoveMouse(x + (waited / 1000) % 2, y);
      if (WaitUntil(condition, 1000)) return true;
    }
    return false;
  }

  static std::vector<std::uint32_t> Capture(const RECT& r) { return CaptureScreen(r); }

  static RECT ScreenRect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
  }

  // The rectangle of a child in its parent's client coordinates.
  static RECT ChildRect(HWND parent, HWND child) {
    RECT r = ScreenRect(child);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  // The visible tip window of the process, if one shows.
  static HWND VisibleTip(DWORD pid) {
    HWND w = nullptr;
    while ((w = ::FindWindowExA(nullptr, w, "tooltips_class32", nullptr)) != nullptr) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(w, &owner);
      if (owner == pid && ::IsWindowVisible(w)) return w;
    }
    return nullptr;
  }
};

TEST_F(MainWindowTest, TimedChangeWithTheStyleListOpenComposesThePictureAndIsNoHandPick) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "1");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", "1");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Wallpaper Cycle Time", "0");
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  ASSERT_TRUE(MakeSolidPicture(dir + "\\a small.bmp", 300, 200, "bmp", 0x0000FF));  // suggests Tiled
  ASSERT_TRUE(MakeSolidPicture(dir + "\\b red.bmp", 800, 600, "bmp", 0xFF0000));    // suggests Stretched
  Process vd = StartVd("-n " + dir);
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList), styles = ::GetDlgItem(main, ids::lstStyle);
  auto style = [&] { return ControlText(main, ids::lblStyle); };
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 0 && style() == "Tiled"; }, 5000));

  // The user opens the style list; the timed change comes before a pick.
  LeftClick(::GetDlgItem(main, ids::lblStyle));
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(styles); }, 3000));
  ::DeleteFileA(BitmapPath().c_str());
  for (int tick = 0; tick < 30; ++tick) ::SendMessageA(main, WM_TIMER, ids::frmMainTimer1, 0);
  std::optional<Bitmap> bmp;
  ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 10000, 50));
  ASSERT_EQ(ListBoxSelection(list), 1);
  for (POINT p : {POINT{512, 384}, POINT{5, 5}, POINT{1018, 762}})
    EXPECT_EQ(bmp->At(p.x, p.y), 0xFF0000u) << "the red picture fills the wallpaper at " << p.x << "," << p.y;
  EXPECT_EQ(style(), "Stretched") << "the suggested style";
  EXPECT_FALSE(IsVisible(styles)) << "the change closed the open list";

  // Closing the list was no hand pick: the next selection takes its suggestion.
  ClickListItem(list, 0);
  EXPECT_TRUE(WaitUntil([&] { return style() == "Tiled"; }, 5000)) << style();
}

TEST_F(MainWindowTest, WindowIsWhollyRepaintedAfterEachChangeAndWhenSettingsOrTheEditorCloses) {
  FixedStyle(2);
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  const std::uint32_t colours[] = {0x00FF00, 0xFF00FF};
  ASSERT_TRUE(MakeSolidPicture(dir + "\\green.bmp", 64, 48, "bmp", colours[0]));
  ASSERT_TRUE(MakeSolidPicture(dir + "\\magenta.bmp", 64, 48, "bmp", colours[1]));
  Process vd = StartVd("-n " + dir);
  HWND main = MainWindow(vd);
  ASSERT_TRUE(IsVisible(main));
  HWND list = ::GetDlgItem(main, ids::imgList);
  const RECT win = ScreenRect(main), preview = ScreenRect(::GetDlgItem(main, ids::imgPreview));
  // Only what lies inside the window's outline is the window's.
  HRGN outline = ::CreateRectRgn(0, 0, 0, 0);
  const bool shaped = ::GetWindowRgn(main, outline) != ERROR;
  auto inWindow = [&](int x, int y) { return !shaped || ::PtInRegion(outline, x - win.left, y - win.top); };
  // The window, except its preview (which shows the picture), never shows
  // the wallpaper's colour once it is done.
  auto expectWhole = [&](std::uint32_t wallpaper) {
    int wallpaperPixels = 0;
    const bool clean = WaitUntil(
        [&] {
          const std::vector<std::uint32_t> px = Capture(win);
          const int w = win.right - win.left;
          wallpaperPixels = 0;
          for (std::size_t i = 0; i < px.size(); ++i) {
            const int x = win.left + static_cast<int>(i) % w, y = win.top + static_cast<int>(i) / w;
            const bool inPreview = x >= preview.left && x < preview.right && y >= preview.top && y < preview.bottom;
            if (!inPreview && inWindow(x, y) && ColourDistance(px[i], wallpaper) <= 8) ++wallpaperPixels;
          }
          return wallpaperPixels == 0 && !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle);
        },
        5000, 100);
    EXPECT_TRUE(clean) << wallpaperPixels << " pixels of the window show the wallpaper";
  };
  std::uint32_t wallpaper = 0;
  for (int change = 0; change < 5; ++change) {
    SCOPED_TRACE("change " + std::to_string(change));
    wallpaper = colours[change % 2];
    ::DeleteFileA(BitmapPath().c_str());
    DoubleClickListItem(list, change % 2);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(5, 5) == wallpaper; }, 15000)) << "the desktop shows the new wallpaper";
    expectWhole(wallpaper);
  }
  ::DeleteObject(outline);

  // Settings closed with Cancel, and with OK: the window comes back whole.
  for (int button : {ids::cmdCancel, ids::cmdSave}) {
    SCOPED_TRACE(button == ids::cmdSave ? "Settings, OK" : "Settings, Cancel");
    ClickControl(::GetDlgItem(main, ids::ButtonsBase + 4));
    HWND settings = WaitForProcessWindow(vd.Pid(), kFormClass, "Settings: Vexa Desktop v1.1", 10000);
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(settings); }, 5000));
    ASSERT_TRUE(Answers(settings));
    ::PostMessageA(::GetDlgItem(settings, button), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(settings) && IsVisible(main); }, 5000));
    expectWhole(wallpaper);
  }

  // Back from the image editor (a stand-in that ends at once).
  char system[MAX_PATH];
  ::GetSystemDirectoryA(system, MAX_PATH);
  const std::string editor = std::string(system) + "\\mspaint.exe";
  ASSERT_TRUE(::CopyFileA((BinDir() + "\\stand_in_editor.exe").c_str(), editor.c_str(), FALSE));
  ClickListItem(list, 0);
  ASSERT_TRUE(ChooseFromImageMenu(list, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
  EXPECT_TRUE(WaitUntil([&] { return FileExists(Temp() / "mspaint-command.txt"); }, 10000));
  ::DeleteFileA(editor.c_str());
  expectWhole(wallpaper);
}

TEST_F(MainWindowTest, LocationTipNamesTheEntryUnderTheMouseAndIsClearedOverTheEmptyPart) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  ASSERT_TRUE(MakeSolidPicture(dir + "\\first.bmp", 8, 8, "bmp", 0x123456));
  ASSERT_TRUE(MakeSolidPicture(dir + "\\second.bmp", 8, 8, "bmp", 0x654321));
  Process vd = StartVd("-n " + dir);
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);
  ASSERT_EQ(ListBoxItems(list).size(), 2u);
  DWORD_PTR itemHeight = 0;
  ::SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 3000, &itemHeight);
  const RECT r = ScreenRect(list);
  const int x = r.left + 30;
  auto tipText = [&] { return WindowText(VisibleTip(vd.Pid())); };

  MoveMouse(x, r.top + 2 + static_cast<int>(itemHeight) * 3 / 2);
  EXPECT_TRUE(HoverUntil(x + 1, r.top + 2 + static_cast<int>(itemHeight) * 3 / 2,
                         [&] { return tipText() == " Location: " + dir + "\\second.bmp "; }, 8000))
      << tipText();

  // Below the entries the tip goes away, and the list's own tip does not come back.
  MoveMouse(x, r.bottom - 12);
  MoveMouse(x + 1, r.bottom - 12);
  std::vector<std::string> shown;
  WaitUntil(
      [&] {
        std::string t = tipText();
        if (!t.empty() && (shown.empty() || shown.back() != t)) shown.push_back(t);
        return false;
      },
      2500, 25);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), "Doubleclick an image to set as wallpaper"), 0);
  EXPECT_EQ(VisibleTip(vd.Pid()), nullptr) << tipText();

  // Back over an entry, the tip is there again.
  MoveMouse(x, r.top + 2 + static_cast<int>(itemHeight) / 2);
  EXPECT_TRUE(HoverUntil(x + 1, r.top + 2 + static_cast<int>(itemHeight) / 2,
                         [&] { return tipText() == " Location: " + dir + "\\first.bmp "; }, 8000))
      << tipText();
}

TEST_F(MainWindowTest, WindowFitsItsContentAndDropDownListsTheirEntriesAtEveryDpi) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  DWORD_PTR itemHeightAt96 = 0;
  for (DWORD dpi : {96u, 144u}) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    KillStrayPrograms();
    DpiSetting setting(dpi);
    Process vd = StartVd("-n " + Temp().Path());
    HWND main = MainWindow(vd);
    ASSERT_TRUE(IsVisible(main));
    RECT client{};
    ::GetClientRect(main, &client);
    int lowest = 0, rightmost = 0;
    for (int id : {ids::imgList, ids::imgPreview, ids::ButtonsBase, ids::ButtonsBase + 4}) {
      const RECT c = ChildRect(main, ::GetDlgItem(main, id));
      lowest = std::max<int>(lowest, c.bottom);
      rightmost = std::max<int>(rightmost, c.right);
    }
    const int margin = ChildRect(main, ::GetDlgItem(main, ids::imgList)).left;  // the left margin
    EXPECT_GT(lowest, client.bottom / 2);
    EXPECT_LE(client.bottom - lowest, margin + 2) << "no empty band under the list and the buttons";
    EXPECT_LE(client.right - rightmost, margin + 4);
    for (int id : {ids::lstTime, ids::lstStyle}) {
      HWND lb = ::GetDlgItem(main, id);
      DWORD_PTR count = 0, itemHeight = 0;
      ::SendMessageTimeoutA(lb, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &count);
      ::SendMessageTimeoutA(lb, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 3000, &itemHeight);
      RECT inside{};
      ::GetClientRect(lb, &inside);
      EXPECT_EQ(inside.bottom, static_cast<LONG>(count * itemHeight)) << "list " << id << " shows its entries, no blank rows";
    }
    // The setting really took: the entries are taller than at 96 dots per inch.
    DWORD_PTR itemHeight = 0;
    ::SendMessageTimeoutA(::GetDlgItem(main, ids::lstStyle), LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 3000,
                          &itemHeight);
    if (dpi == 96)
      itemHeightAt96 = itemHeight;
    else
      EXPECT_GE(itemHeight * 10, itemHeightAt96 * 13);
  }
}

// The control with the keyboard focus in window's thread.
HWND FocusIn(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Real key presses: the keys go down in order and come up in reverse.
void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> in;
  auto add = [&in](WORD vk, DWORD flags) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = flags;
    in.push_back(i);
  };
  for (WORD k : keys) add(k, 0);
  for (auto k = keys.end(); k != keys.begin();) add(*--k, KEYEVENTF_KEYUP);
  ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

TEST_F(MainWindowTest, ListKeysApplyRemoveAndOpenTheImageMenuAtTheEntry) {
  FixedStyle(2);
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  ASSERT_TRUE(MakeSolidPicture(dir + "\\green.bmp", 64, 48, "bmp", 0x00FF00));
  ASSERT_TRUE(MakeSolidPicture(dir + "\\magenta.bmp", 64, 48, "bmp", 0xFF00FF));
  Process vd = StartVd("-n " + dir);
  HWND main = MainWindow(vd);
  ASSERT_TRUE(IsVisible(main));
  HWND list = ::GetDlgItem(main, ids::imgList);
  const std::vector<std::string> names = ListBoxItems(list);
  ASSERT_EQ(names.size(), 2u);
  const int pick = names[0].find("magenta") != std::string::npos ? 0 : 1;
  ClickListItem(list, pick);
  ASSERT_TRUE(WaitUntil(
      [&] { return ListBoxSelection(list) == pick && ::GetForegroundWindow() == main && FocusIn(main) == list; }, 5000));

  // Shift+F10: the image menu below the selected entry, wherever the mouse is.
  MoveMouse(1000, 10);
  PressKeys({VK_SHIFT, VK_F10});
  HWND menu = WaitForPopupMenu(5000);
  ASSERT_TRUE(menu) << "Shift+F10 opens the image menu";
  DWORD_PTR itemHeight = 0, top = 0;
  ::SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 3000, &itemHeight);
  ::SendMessageTimeoutA(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 3000, &top);
  POINT entry{0, static_cast<LONG>((pick - static_cast<int>(top) + 1) * static_cast<int>(itemHeight))};  // its bottom left
  ::ClientToScreen(list, &entry);
  const RECT m = ScreenRect(menu);
  EXPECT_NEAR(m.left, entry.x, 4) << "the menu starts at the entry's left";
  EXPECT_NEAR(m.top, entry.y, 4) << "the menu opens just below the entry";
  MenuKeys(menu, {VK_ESCAPE});
  ASSERT_TRUE(WaitNoPopupMenu());
  // The context-menu key opens it in the same place.
  PressKeys({VK_APPS});
  menu = WaitForPopupMenu(5000);
  ASSERT_TRUE(menu) << "the menu key opens the image menu";
  EXPECT_NEAR(ScreenRect(menu).top, entry.y, 4);
  MenuKeys(menu, {VK_ESCAPE});
  ASSERT_TRUE(WaitNoPopupMenu());
  EXPECT_FALSE(WaitForPopupMenu(500)) << "one menu per key";

  // Enter applies the selected picture, as a double-click does.
  ::DeleteFileA(BitmapPath().c_str());
  ASSERT_TRUE(WaitUntil([&] { return FocusIn(main) == list; }, 3000));
  PressKeys({VK_RETURN});
  std::optional<Bitmap> bmp;
  ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 10000, 50)) << "Enter applies";
  EXPECT_EQ(bmp->At(bmp->width / 2, bmp->height / 2), 0xFF00FFu) << "the selected picture";
  WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);

  // Delete removes it from the list and the stored list.
  ASSERT_TRUE(WaitUntil([&] { return FocusIn(main) == list && ListBoxSelection(list) == pick; }, 3000));
  PressKeys({VK_DELETE});
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(list) == std::vector<std::string>{names[1 - pick]}; }, 5000));
  // The list file is written off the UI thread, a moment later.
  std::optional<std::string> stored;
  WaitUntil([&] { return (stored = ReadFileText(DefaultListPath())) && !EntryLineHas(*stored, "magenta"); }, 3000);
  ASSERT_TRUE(stored);
  EXPECT_FALSE(EntryLineHas(*stored, "magenta")) << *stored;
  EXPECT_NE(stored->find("green"), std::string::npos) << *stored;
}


TEST_F(MainWindowTest, LeavingTheStylePickerPicksNothingAndOnlyAClickOrEnterOnAnEntryHolds) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", "1");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "0");
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  ASSERT_TRUE(MakeSolidPicture(dir + "\\a small.bmp", 300, 200, "bmp", 0x0000FF));  // suggests Tiled
  ASSERT_TRUE(MakeSolidPicture(dir + "\\b screen.bmp", 800, 600, "bmp", 0xFF0000));  // suggests Stretched
  Process vd = StartVd("-n " + dir);
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList), styles = ::GetDlgItem(main, ids::lstStyle);
  auto style = [&] { return ControlText(main, ids::lblStyle); };
  auto desktop = [](const char* name) { return RegRead(HKEY_CURRENT_USER, kDesktopKey, name).value_or("?"); };
  auto openPicker = [&] {
    LeftClick(::GetDlgItem(main, ids::lblStyle));
    return WaitUntil([&] { return IsVisible(styles) && FocusIn(main) == styles; }, 3000);
  };
  // Enter in the image list applies its selected entry.
  auto applyWithEnter = [&] {
    ::DeleteFileA(BitmapPath().c_str());
    EXPECT_TRUE(WaitUntil([&] { return FocusIn(main) == list; }, 3000)) << "the keyboard is in the image list";
    PressKeys({VK_RETURN});
    return WaitUntil([&] { return FileExists(BitmapPath()) && !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); },
                     10000);
  };
  ClickListItem(list, 1);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 1 && style() == "Stretched"; }, 5000));

  // Open, move with the arrows, leave with Esc: nothing is picked.
  ASSERT_TRUE(openPicker());
  PressKeys({VK_DOWN});
  ::Sleep(300);
  EXPECT_TRUE(IsVisible(styles)) << "an arrow key moves in the list and leaves it open";
  EXPECT_EQ(style(), "Stretched") << "an arrow key is no pick";
  PressKeys({VK_ESCAPE});
  EXPECT_TRUE(WaitUntil([&] { return !IsVisible(styles); }, 3000)) << "Esc closes the list";
  EXPECT_EQ(style(), "Stretched");
  // Opened and left by a click elsewhere (the image list takes the focus).
  ASSERT_TRUE(openPicker());
  ClickListItem(list, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsVisible(styles) && ListBoxSelection(list) == 0; }, 3000));
  // The small picture then takes its own suggestion, on the desktop and on the label.
  ASSERT_TRUE(applyWithEnter());
  EXPECT_EQ(style(), "Tiled") << "leaving the list made the style a hand pick";
  EXPECT_EQ(desktop("TileWallpaper"), "1");

  // Enter on an entry is a pick: Centered holds for the other picture.
  ASSERT_TRUE(openPicker());
  EXPECT_EQ(ListBoxSelection(styles), 1) << "the list opens on the style shown";
  PressKeys({VK_UP});
  PressKeys({VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return !IsVisible(styles) && style() == "Centered"; }, 3000)) << style();
  ClickListItem(list, 1);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 1; }, 3000));
  ASSERT_TRUE(applyWithEnter());
  EXPECT_EQ(style(), "Centered");
  EXPECT_EQ(desktop("TileWallpaper"), "0");
  EXPECT_EQ(desktop("WallpaperStyle"), "0");

  // A click on "Tiled" is a pick too, and holds.
  ASSERT_TRUE(openPicker());
  ClickListItem(styles, 1);
  EXPECT_TRUE(WaitUntil([&] { return !IsVisible(styles) && style() == "Tiled"; }, 3000)) << style();
  ASSERT_TRUE(applyWithEnter());
  EXPECT_EQ(style(), "Tiled");
  EXPECT_EQ(desktop("TileWallpaper"), "1");
}

TEST_F(MainWindowTest, KeyboardStaysInTheListAfterPropertiesAndDeleteSelectsTheEntryThatTookItsPlace) {
  FixedStyle(2);
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  const std::uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
  ASSERT_TRUE(MakeSolidPicture(dir + "\\a red.bmp", 64, 48, "bmp", colours[0]));
  ASSERT_TRUE(MakeSolidPicture(dir + "\\b green.bmp", 64, 48, "bmp", colours[1]));
  ASSERT_TRUE(MakeSolidPicture(dir + "\\c blue.bmp", 64, 48, "bmp", colours[2]));
  Process vd = StartVd("-n " + dir);
  HWND main = MainWindow(vd);
  ASSERT_TRUE(IsVisible(main));
  HWND list = ::GetDlgItem(main, ids::imgList);
  const RECT preview = ScreenRect(::GetDlgItem(main, ids::imgPreview));
  auto previewShows = [&](std::uint32_t colour) {
    return WaitUntil([&] {
      return ColourDistance(ScreenPixel((preview.left + preview.right) / 2, (preview.top + preview.bottom) / 2),
                            colour) <= 8;
    }, 5000);
  };
  ClickListItem(list, 0);
  ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == main && FocusIn(main) == list; }, 5000));
  PressKeys({VK_DOWN});
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 1; }, 3000));
  ASSERT_TRUE(previewShows(colours[1]));

  // Properties from the menu key, closed with Enter: the keys work in the list at once.
  PressKeys({VK_APPS});
  HWND menu = WaitForPopupMenu(5000);
  ASSERT_TRUE(menu);
  MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  HWND box = WaitForDialog(vd.Pid(), "b green");
  ASSERT_TRUE(box) << "Properties shows its box";
  PressKeys({VK_RETURN});
  ASSERT_TRUE(WaitDialogGone(box));
  EXPECT_TRUE(WaitUntil([&] { return FocusIn(main) == list; }, 3000)) << "the list has the keyboard again";
  PressKeys({VK_TAB});
  ::Sleep(200);
  EXPECT_EQ(FocusIn(main), list) << "Tab comes round to the list";
  PressKeys({VK_DOWN});
  EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 2; }, 3000)) << "Down moves the selection";
  PressKeys({VK_UP});
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 1; }, 3000));

  // Delete the middle entry: the one that took its place is selected and previewed.
  PressKeys({VK_DELETE});
  ASSERT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == 2u; }, 5000));
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"a red", "c blue"}));
  EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 1; }, 3000)) << ListBoxSelection(list);
  EXPECT_TRUE(previewShows(colours[2])) << "the preview shows the entry selected now";
  // Delete the last: the new last.
  PressKeys({VK_DELETE});
  ASSERT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == 1u; }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 0; }, 3000));
  EXPECT_TRUE(previewShows(colours[0]));
  // The Remove menu's own entry does the same; an empty list shows no picture.
  ::PostMessageA(main, WM_COMMAND, ids::mnuSSel, 0);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxItems(list).empty(); }, 5000));
  EXPECT_EQ(ListBoxSelection(list), -1);
  EXPECT_TRUE(previewShows(0x5A6473)) << "the empty preview";
  // Written by the list's writer a moment later.
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::optional<std::string> stored = ReadFileText(DefaultListPath());
        return !stored || !EntryLineHas(*stored, ".bmp");
      },
      3000));
}
}  // namespace
}  // namespace e2e
