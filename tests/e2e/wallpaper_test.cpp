// The wallpaper list and the wallpaper itself: lists from folders and files,
// the composition in each style as saved and as shown on the desktop, the
// black-and-white filter and calendar page, the cycle timer.
// Longer than 500 lines: every scenario uses the fixture below (a picture
// applied by double-click, the bitmap read back), kept in one place.
#include <set>

#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

constexpr int kScreenW = 1024, kScreenH = 768;

class WallpaperTest : public VdTest {
 protected:
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }
  HWND ImgList(const Process& vd) const { return ::GetDlgItem(MainWindow(vd), ids::imgList); }
  std::optional<std::string> Desktop(const char* name) const { return RegRead(HKEY_CURRENT_USER, kDesktopKey, name); }


  // Double-clicks entry i and waits for the bitmap to be written.
  std::optional<Bitmap> ApplyByDoubleClick(const Process& vd, int i) {
    ::DeleteFileA(BitmapPath().c_str());
    DoubleClickListItem(ImgList(vd), i);
    std::optional<Bitmap> bmp;
    WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 10000, 50);
    // The desktop settings follow the bitmap; the change is over when the progress form goes.
    WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);
    return bmp;
  }
};

std::uint32_t HalfRedHalfBlue(int x, int) { return x < 32 ? 0xFF0000 : 0x0000FF; }

TEST_F(WallpaperTest, FolderOptionListsPicturesOfTheFolderAndItsSubfolders) {
  FixedStyle(0);
  const std::string pics = Temp() / "My Pictures";
  MakeFolder(pics);
  MakeFolder(pics + "\\Sub Folder");
  ASSERT_TRUE(MakeSolidPicture(pics + "\\Beach Day.jpg", 64, 48, "jpg", 0x3366CC));
  ASSERT_TRUE(MakeSolidPicture(pics + "\\Ωmega 写真.bmp", 32, 32, "bmp", 0x00FF00));
  ASSERT_TRUE(MakeSolidPicture(pics + "\\Sub Folder\\anim.gif", 16, 16, "gif", 0xFF0000));
  ASSERT_TRUE(MakeSolidPicture(pics + "\\hidden.bmp", 8, 8, "bmp", 0));
  ::SetFileAttributesA((pics + "\\hidden.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteFileText(pics + "\\notes.txt", "not a picture");

  Process vd = StartVd("-n " + pics);
  HWND main = MainWindow(vd);
  EXPECT_TRUE(IsVisible(main)) << "the folder option shows the main window";
  const std::vector<std::string> names = {"Beach Day", "Ωmega 写真", "anim"};
  EXPECT_EQ(ListBoxItems(ImgList(vd)), names);
  // The folder is watched from now on, with its subfolders.
  EXPECT_TRUE(ListFileIs(pics + "\\Beach Day.jpg\r\n" + pics + "\\Ωmega 写真.bmp\r\n" + pics +
                         "\\Sub Folder\\anim.gif\r\n" + pics + "\\**\r\n"));
}

TEST_F(WallpaperTest, ListFileOptionReplacesTheListAndImageOptionAppendsDuplicates) {
  FixedStyle(0);
  const std::string a = Temp() / "a.bmp", b = Temp() / "b.gif";
  ASSERT_TRUE(MakeSolidPicture(a, 8, 8, "bmp", 0x112233));
  ASSERT_TRUE(MakeSolidPicture(b, 8, 8, "gif", 0x445566));
  WriteFileText(DefaultListPath(), a + "\r\n");
  const std::string list = Temp() / "summer.vdl";
  // CR-only line ends, a missing file and a wrong extension are all handled.
  WriteFileText(list, b + "\r" + Temp().Path() + "\\missing.jpg\r\n" + Temp().Path() + "\\readme.txt\r\n" + a);
  WriteFileText(Temp() / "readme.txt", "x");
  {
    Process vd = StartVd("-l " + list);
    EXPECT_EQ(ListBoxItems(ImgList(vd)), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(ListFileIs(b + "\r\n" + a + "\r\n")) << "the default list mirrors the loaded one";
  }
  KillStrayPrograms();
  {
    Process vd = StartVd("-l " + Temp().Path() + "\\nothere.vdl");
    EXPECT_EQ(ListBoxItems(ImgList(vd)), (std::vector<std::string>{"b", "a"})) << "a missing list file loads the default";
  }
  KillStrayPrograms();
  {
    Process vd = StartVd("-i " + a);
    EXPECT_EQ(ListBoxItems(ImgList(vd)), (std::vector<std::string>{"b", "a", "a"}));
    EXPECT_FALSE(IsVisible(MainWindow(vd)));
    EXPECT_TRUE(ListFileIs(b + "\r\n" + a + "\r\n" + a + "\r\n"));
  }
}

TEST_F(WallpaperTest, DoubleClickAppliesTheEntryInEachStyle) {
  const std::string pic = Temp() / "halves.bmp";
  ASSERT_TRUE(MakePicture(pic, 64, 40, "bmp", &HalfRedHalfBlue));
  ASSERT_GT(ReadFileText(pic)->size(), 50u);
  WriteFileText(DefaultListPath(), pic + "\r\n");
  struct Case {
    int style;
    const char* tile;
    // Expected colours at a few screen points.
    std::vector<std::pair<POINT, std::uint32_t>> points;
  };
  const int cx = (kScreenW - 64) / 2, cy = (kScreenH - 40) / 2;
  const Case cases[] = {
      {0, "0", {{{cx + 5, cy + 5}, 0xFF0000}, {{cx + 60, cy + 35}, 0x0000FF}, {{5, 5}, 0x000000}, {{cx - 2, cy}, 0}}},
      {1, "1", {{{5, 5}, 0xFF0000}, {{40, 5}, 0x0000FF}, {{64 + 5, 40 + 5}, 0xFF0000}, {{1023, 767}, 0x0000FF}}},
      {2, "0", {{{5, 5}, 0xFF0000}, {{1018, 760}, 0x0000FF}, {{400, 384}, 0xFF0000}, {{620, 384}, 0x0000FF}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style));
    KillStrayPrograms();
    FixedStyle(c.style);
    Process vd = StartVd();
    auto bmp = ApplyByDoubleClick(vd, 0);
    ASSERT_TRUE(bmp) << "the wallpaper bitmap is written";
    EXPECT_EQ(bmp->width, kScreenW);
    EXPECT_EQ(bmp->height, kScreenH);
    EXPECT_EQ(Desktop("WallpaperStyle"), std::to_string(c.style));
    EXPECT_EQ(Desktop("TileWallpaper"), c.tile);
    EXPECT_EQ(Desktop("Wallpaper"), BitmapPath());
    for (const auto& [pt, colour] : c.points) {
      EXPECT_LE(ColourDistance(bmp->At(pt.x, pt.y), colour), 8) << "saved at " << pt.x << "," << pt.y;
      // The desktop really shows it (the main window is hidden).
      std::uint32_t shown = 0;
      WaitUntil([&] { return ColourDistance(shown = ScreenPixel(pt.x, pt.y), colour) <= 8; }, 15000);
      EXPECT_LE(ColourDistance(shown, colour), 8) << "shown at " << pt.x << "," << pt.y;
    }
  }
}

std::uint32_t RedBlueGreenBands(int x, int) { return x < 40 ? 0xFF0000 : x < 88 ? 0x0000FF : 0x00FF00; }

TEST_F(WallpaperTest, FillAndFitKeepThePicturesProportions) {
  // 128 x 48 is wider than the screen: Fill cuts 32 columns off each side and
  // scales by 16; Fit scales by 8 into a band 384 pixels high in the middle.
  const std::string folder = Temp() / "bands", pic = folder + "\\bands.bmp";
  MakeFolder(folder);
  ASSERT_TRUE(MakePicture(pic, 128, 48, "bmp", &RedBlueGreenBands));
  const COLORREF sys = ::GetSysColor(COLOR_DESKTOP);  // 0x00BBGGRR
  const std::uint32_t background = ((sys & 0xFF) << 16) | (sys & 0xFF00) | ((sys >> 16) & 0xFF);
  struct Case {
    const char* stored;  // the system's own values for Fill and Fit
    int index;           // their places in the style list
    const char* name;
    std::vector<std::pair<POINT, std::uint32_t>> points;
  };
  const Case cases[] = {
      {"10", 3, "Fill", {{{2, 2}, 0xFF0000}, {{120, 700}, 0xFF0000}, {{136, 384}, 0x0000FF}, {{512, 2}, 0x0000FF},
                      {{885, 765}, 0x0000FF}, {{920, 2}, 0x00FF00}, {{1021, 765}, 0x00FF00}}},
      {"6", 4, "Fit", {{{2, 2}, background}, {{512, 188}, background}, {{2, 196}, 0xFF0000}, {{300, 575}, 0xFF0000},
                    {{324, 384}, 0x0000FF}, {{680, 384}, 0x0000FF}, {{708, 196}, 0x00FF00}, {{1021, 575}, 0x00FF00},
                    {{1021, 580}, background}, {{512, 765}, background}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KillStrayPrograms();
    FixedStyle(0);
    ::DeleteFileA(DefaultListPath().c_str());
    Process vd = StartVd("-n " + folder);  // lists the picture and opens the main window
    // Fill and Fit are picked by hand from the style list.
    HWND main = MainWindow(vd);
    HWND label = ::GetDlgItem(main, ids::lblStyle), styles = ::GetDlgItem(main, ids::lstStyle);
    ::PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::PostMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(styles); }, 3000)) << "a left click on the label opens the style list";
    ClickListItem(styles, c.index);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, ids::lblStyle) == c.name && !IsVisible(styles); }, 3000));
    auto bmp = ApplyByDoubleClick(vd, 0);
    ASSERT_TRUE(bmp) << "the wallpaper bitmap is written";
    EXPECT_EQ(bmp->width, kScreenW);
    EXPECT_EQ(bmp->height, kScreenH);
    EXPECT_EQ(Desktop("WallpaperStyle"), c.stored);
    EXPECT_EQ(Desktop("TileWallpaper"), "0");
    RECT open{};  // the main window stays open over the middle of the desktop
    if (IsVisible(main)) ::GetWindowRect(main, &open);
    for (const auto& [pt, colour] : c.points) {
      EXPECT_LE(ColourDistance(bmp->At(pt.x, pt.y), colour), 8) << "saved at " << pt.x << "," << pt.y;
      // Wine's taskbar, shown while the window is open, covers the bottom 20 rows.
      if (::PtInRect(&open, pt) || pt.y >= kScreenH - 20) continue;
      std::uint32_t shown = 0;
      WaitUntil([&] { return ColourDistance(shown = ScreenPixel(pt.x, pt.y), colour) <= 8; }, 15000);
      EXPECT_LE(ColourDistance(shown, colour), 8) << "shown at " << pt.x << "," << pt.y;
    }

    // The pick outlives the program: after Exit and a new start the label and
    // the first change still use it.
    ::PostMessageA(main, WM_COMMAND, ids::mnuExit, 0);
    ASSERT_TRUE(ConfirmExit(vd));
    Process again = StartVd();
    EXPECT_EQ(ControlText(MainWindow(again), ids::lblStyle), c.name) << "after a restart";
    bmp = ApplyByDoubleClick(again, 0);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(Desktop("WallpaperStyle"), c.stored) << "after a restart";
    for (const auto& [pt, colour] : c.points)
      EXPECT_LE(ColourDistance(bmp->At(pt.x, pt.y), colour), 8) << "after a restart, at " << pt.x << "," << pt.y;
  }
}

TEST_F(WallpaperTest, PictureFarLargerThanTheScreenIsCutEquallyWhenCentered) {
  FixedStyle(0);
  const std::string pic = Temp() / "huge.bmp";
  ASSERT_TRUE(MakePicture(pic, 3000, 2000, "bmp", [](int x, int) -> std::uint32_t { return x < 1500 ? 0xFF0000 : 0x0000FF; }));
  WriteFileText(DefaultListPath(), pic + "\r\n");
  Process vd = StartVd();
  auto bmp = ApplyByDoubleClick(vd, 0);
  ASSERT_TRUE(bmp);
  // Centred and cut equally on both sides: the halves meet in the middle of the screen.
  EXPECT_LE(ColourDistance(bmp->At(100, 384), 0xFF0000), 8);
  EXPECT_LE(ColourDistance(bmp->At(500, 10), 0xFF0000), 8);
  EXPECT_LE(ColourDistance(bmp->At(524, 760), 0x0000FF), 8);
  EXPECT_LE(ColourDistance(bmp->At(1000, 384), 0x0000FF), 8);
}

TEST_F(WallpaperTest, BlackAndWhiteWithCalendarPage) {
  FixedStyle(2);
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Use GreyScale", "1");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "1");
  const std::string pic = Temp() / "green.jpg";
  ASSERT_TRUE(MakeSolidPicture(pic, 80, 60, "jpg", 0x20C040));
  WriteFileText(DefaultListPath(), pic + "\r\n");
  Process vd = StartVd();
  auto bmp = ApplyByDoubleClick(vd, 0);
  ASSERT_TRUE(bmp);
  // The picture is grey everywhere outside the page...
  for (POINT p : {POINT{10, 10}, POINT{500, 400}, POINT{960, 30}, POINT{1010, 20}, POINT{980, 80}})
    EXPECT_TRUE(IsGrey(bmp->At(p.x, p.y), 1)) << p.x << "," << p.y;
  // ...its corners and ring holes show that grey wallpaper...
  const std::uint32_t wall = bmp->At(500, 400);
  for (POINT p : {POINT{964, 16}, POINT{1007, 16}, POINT{964 + 10, 16 + 8}, POINT{964 + 33, 16 + 9}})
    EXPECT_EQ(bmp->At(p.x, p.y), wall) << p.x << "," << p.y;
  // ...and the page itself keeps its colours: something strongly red in the day area.
  int reds = 0;
  for (int y = 16 + 12; y < 16 + 40; ++y)
    for (int x = 964; x < 1008; ++x) {
      std::uint32_t c = bmp->At(x, y);
      if (((c >> 16) & 255) > 180 && ((c >> 8) & 255) < 90 && (c & 255) < 90) ++reds;
    }
  EXPECT_GT(reds, 20) << "the red day digits";
}

TEST_F(WallpaperTest, CyclingChangesOnceAtStartAndThenOnTheChosenInterval) {
  const std::string pic = Temp() / "a.bmp";
  ASSERT_TRUE(MakeSolidPicture(pic, 16, 16, "bmp", 0x808000));
  WriteFileText(DefaultListPath(), pic + "\r\n");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Wallpaper Cycle Time", "0");  // 5 minutes
  Process vd = StartVd();
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 5000)) << "one change at start";
  EXPECT_TRUE(WaitUntil([&] { return Desktop("Wallpaper") == BitmapPath(); }, 5000)) << "set once the bitmap is written";
  HWND main = MainWindow(vd);
  ::DeleteFileA(BitmapPath().c_str());
  for (int tick = 1; tick < 30; ++tick) ::SendMessageA(main, WM_TIMER, ids::frmMainTimer1, 0);
  EXPECT_FALSE(FileExists(BitmapPath())) << "no change before 300 seconds";
  ::SendMessageA(main, WM_TIMER, ids::frmMainTimer1, 0);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 5000)) << "the 30th tick changes";
}

TEST_F(WallpaperTest, VanishedAndUnreadablePicturesAreHandledWhenReached) {
  FixedStyle(2);
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "1");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");
  const std::string gone = Temp() / "gone.bmp", bad = Temp() / "text.jpg", empty = Temp() / "empty.gif",
                    truncated = Temp() / "cut.jpg", good = Temp() / "good.bmp";
  ASSERT_TRUE(MakeSolidPicture(gone, 8, 8, "bmp", 0));
  WriteFileText(bad, "this is not a jpeg");
  WriteFileText(empty, "");
  ASSERT_TRUE(MakeSolidPicture(truncated, 200, 200, "jpg", 0xFF00FF));
  std::string cut = *ReadFileText(truncated);
  WriteFileText(truncated, cut.substr(0, cut.size() / 3));
  ASSERT_TRUE(MakeSolidPicture(good, 8, 8, "bmp", 0x00FFFF));
  WriteFileText(DefaultListPath(), gone + "\r\n" + bad + "\r\n" + empty + "\r\n" + truncated + "\r\n" + good + "\r\n");
  // Loading keeps all five; the first one vanishes before the start-up change reaches it.
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  Process vd = StartVd();
  ASSERT_EQ(ListBoxItems(ImgList(vd)).size(), 5u);
  ::DeleteFileA(gone.c_str());
  ClickListItem(ImgList(vd), 0);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(ImgList(vd)).size() == 4; }, 5000)) << "the vanished entry is dropped";
  EXPECT_TRUE(ListFileIs(bad + "\r\n" + empty + "\r\n" + truncated + "\r\n" + good + "\r\n"));
  // Picked by a click, an unreadable picture says why and stays selected.
  ClickListItem(ImgList(vd), 0);
  HWND box = WaitForDialog(vd.Pid(), "Vexa Desktop");
  ASSERT_NE(box, nullptr);
  EXPECT_NE(MessageBoxText(box).find(bad + "\r\nis not a picture that can be read"), std::string::npos);
  PressButton(box, IDOK);
  EXPECT_TRUE(WaitDialogGone(box));
  EXPECT_EQ(ListBoxSelection(ImgList(vd)), 0);
  // A change that reaches unreadable pictures moves on to the next entry that loads.
  ::PostMessageA(MainWindow(vd), WM_COMMAND, ids::mnuChange, 0);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(ImgList(vd)) == 3; }, 5000));
  EXPECT_TRUE(vd.Running());
}

// Left half wholly transparent (white underneath), right half red at 40 % opacity.
std::uint32_t TransparentAndSixtyPercentRed(int x, int) { return x < 100 ? 0x00FFFFFFu : 0x66FF0000u; }
// Every pixel transparent, green underneath.
std::uint32_t AllTransparent(int, int) { return 0x0000FF00u; }

TEST_F(WallpaperTest, TransparencyIsLaidOverTheDesktopColourInThePreviewAndEveryStyle) {
  const COLORREF sys = ::GetSysColor(COLOR_DESKTOP);  // 0x00BBGGRR
  const std::uint32_t desk = ((sys & 0xFF) << 16) | (sys & 0xFF00) | ((sys >> 16) & 0xFF);
  // 102 / 255 of red over 153 / 255 of the desktop.
  auto over = [](std::uint32_t under, int shift, int top) {
    return static_cast<std::uint32_t>((top * 102 + static_cast<int>((under >> shift) & 255) * 153 + 127) / 255) << shift;
  };
  const std::uint32_t blended = over(desk, 16, 255) | over(desk, 8, 0) | over(desk, 0, 0);
  const std::string dir = Temp() / "alpha";
  MakeFolder(dir);
  ASSERT_TRUE(MakeAlphaPng(dir + "\\a half.png", 200, 100, &TransparentAndSixtyPercentRed));
  ASSERT_TRUE(MakeAlphaPng(dir + "\\b none.png", 40, 30, &AllTransparent));

  // The preview, Stretched: both halves, and nothing but the desktop colour.
  FixedStyle(2);
  {
    Process vd = StartVd("-n " + dir);
    HWND main = MainWindow(vd);
    ASSERT_TRUE(IsVisible(main));
    HWND list = ImgList(vd);
    ASSERT_EQ(ListBoxItems(list), (std::vector<std::string>{"a half", "b none"}));
    RECT preview{};
    ::GetWindowRect(::GetDlgItem(main, ids::imgPreview), &preview);
    const int w = preview.right - preview.left, h = preview.bottom - preview.top, y = preview.top + h / 2;
    ClickListItem(list, 0);
    EXPECT_TRUE(WaitUntil([&] { return ColourDistance(ScreenPixel(preview.left + w / 4, y), desk) <= 8 &&
                                       ColourDistance(ScreenPixel(preview.left + 3 * w / 4, y), blended) <= 8; }, 5000))
        << std::hex << ScreenPixel(preview.left + w / 4, y) << " " << ScreenPixel(preview.left + 3 * w / 4, y);
    ClickListItem(list, 1);
    EXPECT_TRUE(WaitUntil([&] { return ColourDistance(ScreenPixel(preview.left + w / 4, y), desk) <= 8 &&
                                       ColourDistance(ScreenPixel(preview.left + w / 2, y), desk) <= 8; }, 5000))
        << std::hex << ScreenPixel(preview.left + w / 2, y);
  }

  // The wallpaper in each style; the half picture lies at (412, 334) centred.
  struct Case {
    int style, entry;
    std::vector<std::pair<POINT, std::uint32_t>> points;
  };
  const Case cases[] = {
      {0, 0, {{{462, 384}, desk}, {{562, 384}, blended}, {{5, 5}, 0x000000}}},
      {1, 0, {{{50, 50}, desk}, {{150, 50}, blended}, {{250, 150}, desk}, {{950, 650}, blended}}},
      {2, 0, {{{100, 384}, desk}, {{900, 384}, blended}, {{5, 5}, desk}, {{1018, 762}, blended}}},
      {6, 0, {{{100, 384}, desk}, {{900, 384}, blended}, {{900, 50}, desk}}},  // Fit
      {2, 1, {{{5, 5}, desk}, {{512, 384}, desk}, {{1018, 762}, desk}}},      // an alpha of zero throughout
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style) + ", entry " + std::to_string(c.entry));
    KillStrayPrograms();
    FixedStyle(c.style);
    Process vd = StartVd();
    auto bmp = ApplyByDoubleClick(vd, c.entry);
    ASSERT_TRUE(bmp);
    for (const auto& [pt, colour] : c.points) {
      EXPECT_LE(ColourDistance(bmp->At(pt.x, pt.y), colour), 8)
          << "saved at " << pt.x << "," << pt.y << ": " << std::hex << bmp->At(pt.x, pt.y);
      std::uint32_t shown = 0;
      WaitUntil([&] { return ColourDistance(shown = ScreenPixel(pt.x, pt.y), colour) <= 8; }, 15000);
      EXPECT_LE(ColourDistance(shown, colour), 8) << "shown at " << pt.x << "," << pt.y;
    }
  }
}

TEST_F(WallpaperTest, AnEditedPictureIsPreviewedAndAppliedAsEdited) {
  FixedStyle(2);
  const std::string dir = Temp() / "edit", pic = dir + "\\sketch.bmp", saved = dir + "\\sketch.tmp";
  MakeFolder(dir);
  ASSERT_TRUE(MakeSolidPicture(pic, 64, 48, "bmp", 0xFF0000));
  Process vd = StartVd("-n " + dir);
  HWND main = MainWindow(vd);
  ASSERT_TRUE(IsVisible(main));
  HWND list = ImgList(vd);
  RECT preview{};
  ::GetWindowRect(::GetDlgItem(main, ids::imgPreview), &preview);
  const int px = (preview.left + preview.right) / 2, py = (preview.top + preview.bottom) / 2;
  auto previewShows = [&](std::uint32_t colour) {
    return WaitUntil([&] { return ColourDistance(ScreenPixel(px, py), colour) <= 8; }, 15000);
  };
  ClickListItem(list, 0);
  ASSERT_TRUE(previewShows(0xFF0000)) << std::hex << ScreenPixel(px, py);

  // An editor saves other pixels of the same size beside it and renames them over it.
  ASSERT_TRUE(MakeSolidPicture(saved, 64, 48, "bmp", 0x00FF00));
  ASSERT_TRUE(::MoveFileExA(saved.c_str(), pic.c_str(), MOVEFILE_REPLACE_EXISTING));
  ClickListItem(list, 0);
  EXPECT_TRUE(previewShows(0x00FF00)) << "a new click previews the new pixels: " << std::hex << ScreenPixel(px, py);

  // Saved once more in place; Enter (the command it gives) applies what the file now holds.
  ASSERT_TRUE(MakeSolidPicture(pic, 64, 48, "bmp", 0x0000FF));
  ::DeleteFileA(BitmapPath().c_str());
  ::PostMessageA(main, WM_COMMAND, ids::mnuSet, 0);
  std::optional<Bitmap> bmp;
  ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 10000, 50));
  EXPECT_EQ(bmp->At(5, 5), 0x0000FFu);
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(5, 5) == 0x0000FFu; }, 15000)) << "the desktop shows the new pixels";
  EXPECT_TRUE(previewShows(0x0000FF)) << "and so does the preview";
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

class BadListTest : public VdTest {
 protected:
  HWND ImgList(const Process& vd) const { return ::GetDlgItem(MainWindow(vd), ids::imgList); }
  void SetUp() override { RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0"); }
};

TEST_F(BadListTest, GarbageHugeLinesAndMillionLineListsLoadWhatIsValid) {
  const std::string pic = Temp() / "ok.bmp";
  ASSERT_TRUE(MakeSolidPicture(pic, 4, 4, "bmp", 0x123456));
  std::string garbage(1 << 20, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 2654435761u) >> 13);
  std::string millions;
  millions.reserve(12'000'000);
  for (int i = 0; i < 1'000'000; ++i) millions += "C:\\x\\y.txt\r\n";
  const std::pair<std::string, std::string> lists[] = {
      {"garbage", garbage + "\r\n" + pic + "\r\n"},
      {"one huge line", std::string(1 << 20, 'a') + ".jpg\r\n" + pic + "\r\n"},
      {"a million lines", millions + pic + "\r\n"},
  };
  for (const auto& [what, content] : lists) {
    SCOPED_TRACE(what);
    KillStrayPrograms();
    WriteFileText(DefaultListPath(), content);
    Process vd = StartVd("", false);
    ASSERT_TRUE(WaitReady(vd, 60000));
    EXPECT_EQ(ListBoxItems(ImgList(vd)), std::vector<std::string>{"ok"});
    EXPECT_TRUE(ListFileIs(pic + "\r\n"));
  }
}

TEST_F(BadListTest, UnreadableListFileChangesNothing) {
  const std::string pic = Temp() / "keep.bmp";
  ASSERT_TRUE(MakeSolidPicture(pic, 4, 4, "bmp", 0x123456));
  WriteFileText(DefaultListPath(), pic + "\r\n");
  const std::string locked = Temp() / "locked.vdl";
  WriteFileText(locked, pic + "\r\n" + pic + "\r\n");
  HANDLE hold = ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  Process vd = StartVd("-l " + locked);
  EXPECT_EQ(ListBoxItems(ImgList(vd)), std::vector<std::string>{}) << "nothing was loaded at start";
  EXPECT_TRUE(ListFileIs(pic + "\r\n")) << "the default list file is not lost";
  ::CloseHandle(hold);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

class BigFolderTest : public VdTest {};

// Wine creates files in a crowded folder slowly (each creation scans the
// folder), so the crowd here is 10,000 files; the walk itself is linear.
TEST_F(BigFolderTest, CrowdedFolderAddsItsPicturesAndStaysResponsive) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  const std::string dir = Temp() / "crowd";
  MakeFolder(dir);
  for (int i = 0; i < 10000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\f%06d.%s", i, i % 2500 == 0 ? "jpg" : "dat");
    HANDLE h = ::CreateFileA((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);
  }
  Process vd = StartVd("-n " + dir, false);
  // While the folder is walked the window keeps answering messages.
  int answered = 0;
  WaitUntil(
      [&] {
        if (HWND main = MainWindow(vd)) {
          DWORD_PTR r = 0;
          if (::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r)) ++answered;
        }
        return IsVisible(MainWindow(vd));
      },
      60000, 100);
  ASSERT_TRUE(WaitReady(vd, 60000));
  EXPECT_GT(answered, 0);
  EXPECT_EQ(ListBoxItems(::GetDlgItem(MainWindow(vd), ids::imgList)),
            (std::vector<std::string>{"f000000", "f002500", "f005000", "f007500"}));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

class StylePickerTest : public VdTest {};

TEST_F(StylePickerTest, HandPickedStyleHoldsUntilTheNextAutomaticChange) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "1");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");
  const std::string dir = Temp() / "pics";
  MakeFolder(dir);
  ASSERT_TRUE(MakeSolidPicture(dir + "\\a small.bmp", 300, 200, "bmp", 0x0000FF));  // suggests Tiled
  ASSERT_TRUE(MakeSolidPicture(dir + "\\b screen.bmp", 800, 600, "bmp", 0x00FF00));  // suggests Stretched
  Process vd = StartVd("-n " + dir);
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);
  auto style = [&] { return ControlText(main, ids::lblStyle); };
  // The start-up change took the first entry.
  EXPECT_EQ(ListBoxSelection(list), 0);
  EXPECT_EQ(style(), "Tiled");

  ClickListItem(list, 1);
  EXPECT_TRUE(WaitUntil([&] { return style() == "Stretched"; }, 5000)) << "the suggested style follows the selection";

  // Pick "Centered" by hand from the style list.
  HWND label = ::GetDlgItem(main, ids::lblStyle);
  ::PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ::PostMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  HWND styles = ::GetDlgItem(main, ids::lstStyle);
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(styles); }, 3000)) << "a left click on the label opens the style list";
  ClickListItem(styles, 0);
  EXPECT_TRUE(WaitUntil([&] { return style() == "Centered" && !IsVisible(styles); }, 3000));

  ClickListItem(list, 0);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 0; }, 5000));
  ::Sleep(500);  // time for a wrong style to show
  EXPECT_EQ(style(), "Centered") << "a hand-picked style survives selecting another entry";

  // The next automatic change goes back to the suggestion (entry 1, Stretched).
  for (int tick = 0; tick < 30; ++tick) ::SendMessageA(main, WM_TIMER, ids::frmMainTimer1, 0);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 1 && style() == "Stretched"; }, 5000));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle"), "2");
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

class CycleTimePickerTest : public VdTest {
 protected:
  static void LeftClick(HWND w) {
    ::PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::PostMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }
  // Answers the message box titled title of process pid with the button id; returns its text.
  static std::string Answer(DWORD pid, const char* title, int button) {
    HWND box = WaitForProcessWindow(pid, "#32770", title, 5000);
    if (!box) return "<no message box>";
    std::string text = ControlText(box, 0xFFFF);
    ::PostMessageA(::GetDlgItem(box, button), BM_CLICK, 0, 0);
    WaitUntil([&] { return !::IsWindow(box); }, 3000);
    return text;
  }
};

TEST_F(CycleTimePickerTest, DisabledLabelOffersToEnableAndAPickIsStored) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Wallpaper Cycle Time", "4");
  Process vd = StartVd("-n " + Temp().Path());
  HWND main = MainWindow(vd);
  HWND label = ::GetDlgItem(main, ids::lblTime), times = ::GetDlgItem(main, ids::lstTime);
  ASSERT_EQ(ControlText(main, ids::lblTime), "Disabled");

  ::PostMessageA(label, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
  ::PostMessageA(label, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  ::Sleep(300);
  EXPECT_FALSE(FindProcessWindow(vd.Pid(), "#32770", "Enable")) << "a right click does nothing";

  LeftClick(label);
  EXPECT_EQ(Answer(vd.Pid(), "Enable", IDNO), "Do you want to enable Vexa Desktop?");
  EXPECT_EQ(ControlText(main, ids::lblTime), "Disabled");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "Enabled VD"), "0") << "No writes nothing";

  LeftClick(label);
  Answer(vd.Pid(), "Enable", IDYES);
  EXPECT_TRUE(WaitUntil([&] { return ControlText(main, ids::lblTime) == " 2 hours"; }, 3000));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "Enabled VD"), "1");
  EXPECT_TRUE(WaitUntil([&] { return IsVisible(times); }, 3000)) << "the list opens for a pick at once";

  ClickListItem(times, 2);
  EXPECT_TRUE(WaitUntil([&] { return ControlText(main, ids::lblTime) == "30 minutes" && !IsVisible(times); }, 3000));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "Wallpaper Cycle Time"), "2");
  EXPECT_TRUE(vd.Running());
}

TEST_F(WallpaperTest, RandomOrderShowsEveryPictureOnceBeforeAnyComesAgain) {
  FixedStyle(2);
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "1");
  const std::uint32_t colours[] = {0xC02020, 0x20C020, 0x2020C0, 0xC0C020, 0x20C0C0};
  std::string list;
  for (int i = 0; i < 4; ++i) {
    const std::string pic = Temp() / ("p" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(MakeSolidPicture(pic, 32, 24, "bmp", colours[i]));
    list += pic + "\r\n";
  }
  WriteFileText(DefaultListPath(), list);
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  // One change from the tray menu; the picture shown, by its colour.
  std::vector<int> shown;
  auto change = [&] {
    ::DeleteFileA(BitmapPath().c_str());
    ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
    std::optional<Bitmap> bmp;
    int which = -1;
    if (WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 10000, 50)) {
      for (int i = 0; i < 5; ++i) {
        if (ColourDistance(bmp->At(512, 384), colours[i]) <= 8) which = i;
      }
    }
    WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);
    EXPECT_GE(which, 0) << "a picture of the list is shown";
    if (!shown.empty()) {
      EXPECT_NE(which, shown.back()) << "change " << shown.size() << ": the same picture twice in a row";
    }
    shown.push_back(which);
    return which;
  };
  for (int round = 0; round < 3; ++round) {
    std::set<int> seen;
    for (int k = 0; k < 4; ++k) seen.insert(change());
    EXPECT_EQ(seen.size(), 4u) << "round " << round << " shows each of the four once";
  }

  // A picture added halfway through a round comes in that round, with the
  // two not shown yet.
  std::set<int> rest = {0, 1, 2, 3};
  rest.erase(change());
  rest.erase(change());
  const std::string added = Temp() / "p4.bmp";
  ASSERT_TRUE(MakeSolidPicture(added, 32, 24, "bmp", colours[4]));
  Process relay = Start(PelorinExe(), "-i " + added, Temp().Path());
  ASSERT_TRUE(relay.WaitExit(30000));
  ASSERT_TRUE(WaitUntil([&] { return ListBoxItems(::GetDlgItem(main, ids::imgList)).size() == 5; }, 10000));
  rest.insert(4);
  std::set<int> seen;
  for (int k = 0; k < 3; ++k) seen.insert(change());
  EXPECT_EQ(seen, rest);
}

}  // namespace
}  // namespace e2e
