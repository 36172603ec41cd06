// Pictures larger than the screen: Centered shows the middle of the picture
// and Tiled its top-left corner, both at the picture's own pixel size;
// Stretched shows all of it scaled down.
#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

class BigPictureTest : public VdTest {
 protected:
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }
};

// Red left of column 988, blue from there on; green added from row 700 down.
std::uint32_t Quarters(int x, int y) { return (x < 988 ? 0xFF0000u : 0x0000FFu) | (y >= 700 ? 0x00FF00u : 0u); }

TEST_F(BigPictureTest, CenteredAndTiledShowThePictureAtItsOwnSizeStretchedShowsAllOfIt) {
  const std::string pic = Temp() / "photo.bmp";
  ASSERT_TRUE(MakePicture(pic, 3000, 2000, "bmp", &Quarters));
  WriteFileText(DefaultListPath(), pic + "\r\n");
  struct Case {
    int style;
    // The picture's column and row shown at screen column x and row y.
    int (*column)(int x);
    int (*row)(int y);
  };
  const Case cases[] = {
      {0, [](int x) { return x + (3000 - 1024) / 2; }, [](int y) { return y + (2000 - 768) / 2; }},
      {1, [](int x) { return x; }, [](int y) { return y; }},
      {2, [](int x) { return x * 3000 / 1024; }, [](int y) { return y * 2000 / 768; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style));
    KillStrayPrograms();
    FixedStyle(c.style);
    Process vd = StartVd();
    ::DeleteFileA(BitmapPath().c_str());
    DoubleClickListItem(::GetDlgItem(MainWindow(vd), ids::imgList), 0);
    std::optional<Bitmap> bmp;
    ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 20000, 50));
    ASSERT_EQ(bmp->width, 1024);
    int wrong = 0, firstWrongX = -1, firstWrongY = -1;
    for (int y = 0; y < 768; y += 3) {
      for (int x = 0; x < 1024; ++x) {
        const int px = c.column(x), py = c.row(y);
        // Stretched averages across the edges; judge it away from them.
        if (c.style == 2 && (std::abs(px - 988) < 8 || std::abs(py - 700) < 8)) continue;
        if (ColourDistance(bmp->At(x, y), Quarters(px, py)) > 8) {
          if (wrong++ == 0) firstWrongX = x, firstWrongY = y;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << "first wrong pixel at " << firstWrongX << "," << firstWrongY;
  }
}

// The suggested style is judged on the picture's real size, not on the part
// of it that was decoded.
TEST_F(BigPictureTest, SuggestedStyleComesFromTheWholePicture) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", "1");
  const std::string panorama = Temp() / "panorama.bmp", photo = Temp() / "photo.bmp";
  ASSERT_TRUE(MakeSolidPicture(panorama, 4000, 1000, "bmp", 0x336699));  // too wide to centre whole: Fit
  ASSERT_TRUE(MakeSolidPicture(photo, 4000, 3000, "bmp", 0x996633));     // 4:3 like the screen: Stretched
  WriteFileText(DefaultListPath(), panorama + "\r\n" + photo + "\r\n" + panorama + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);
  for (int i : {0, 1, 2}) {
    ClickListItem(list, i);
    const char* expected = i == 1 ? "Stretched" : "Fit";
    EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == i && ControlText(main, ids::lblStyle) == expected; }, 10000))
        << i << ": " << ControlText(main, ids::lblStyle);
  }
}

// A 3:2 photo: a white circle (radius 1500) in the middle of navy; green
// bands 60 columns wide at the edges of the part that Fill shows on a 4:3
// screen (columns 333 to 5665), red in the parts it cuts.
std::uint32_t RoundPhoto(int x, int y) {
  if (x < 333 || x >= 5666) return 0xFF0000;
  if (x < 393 || x >= 5606) return 0x00FF00;
  const int dx = x - 3000, dy = y - 2000;
  return dx * dx + dy * dy <= 1500 * 1500 ? 0xFFFFFF : 0x203060;
}

TEST_F(BigPictureTest, AutomaticStyleFillsAPhotoOfAnotherShapeKeepingItsCirclesRound) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", "1");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "0");
  const std::string photo = Temp() / "photo.jpg";
  ASSERT_TRUE(MakePicture(photo, 6000, 4000, "jpg", &RoundPhoto));
  WriteFileText(DefaultListPath(), photo + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ::GetDlgItem(main, ids::imgList);
  ::DeleteFileA(BitmapPath().c_str());
  DoubleClickListItem(list, 0);
  std::optional<Bitmap> bmp;
  ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 20000, 50));
  WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);
  EXPECT_EQ(ControlText(main, ids::lblStyle), "Fill");
  EXPECT_TRUE(WaitUntil([&] { return RegRead(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle") == "10"; }, 5000));
  // What the desktop shows (the main window is hidden), as the saved bitmap
  // has it; Wine's taskbar may cover the bottom 20 rows.
  const RECT screen{0, 0, 1024, 768};
  std::vector<std::uint32_t> shown;
  WaitUntil([&] { return ColourDistance((shown = CaptureScreen(screen))[384 * 1024 + 512], 0xFFFFFF) <= 40; }, 15000);
  auto at = [&](int x, int y) { return shown[static_cast<std::size_t>(y) * 1024 + x]; };
  for (int x = 0; x < 1024; x += 7) {
    for (int y = 0; y < 768; y += 7) {
      if (y >= 768 - 20) continue;
      ASSERT_LE(ColourDistance(at(x, y), bmp->At(x, y)), 8) << x << "," << y;
    }
  }

  // Scaled by 768 / 4000 both ways: the circle is 576 pixels across and as high.
  int across = 0, high = 0;
  for (int x = 0; x < 1024; ++x) across += ColourDistance(at(x, 384), 0xFFFFFF) <= 80;
  for (int y = 0; y < 768; ++y) high += ColourDistance(at(512, y), 0xFFFFFF) <= 80;
  EXPECT_NEAR(across, 576, 3);
  EXPECT_NEAR(across, high, 2) << "the circle stays round";
  // The cut is equal: the green bands show, 11 or 12 columns each, and no red.
  int greenLeft = 0, greenRight = 0, red = 0;
  for (int x = 0; x < 40; ++x) {
    greenLeft += ColourDistance(at(x, 100), 0x00FF00) <= 80;
    greenRight += ColourDistance(at(1023 - x, 100), 0x00FF00) <= 80;
  }
  for (int y = 0; y < 768; ++y)
    for (int x : {0, 1, 1022, 1023}) red += (x > 240 || y < 720) && ColourDistance(at(x, y), 0xFF0000) <= 100;
  EXPECT_NEAR(greenLeft, 11.5, 2);
  EXPECT_NEAR(greenLeft, greenRight, 1);
  EXPECT_EQ(red, 0) << "the parts cut away do not show";
  // No bars: the top and bottom rows are the photo's navy, not the desktop's colour.
  for (int x : {300, 512, 900})
    for (int y : {0, 2, 765, 767}) EXPECT_LE(ColourDistance(at(x, y), 0x203060), 40) << x << "," << y;

  // Properties names the style suggested.
  ASSERT_TRUE(ChooseFromImageMenu(list, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND box = WaitForDialog(vd.Pid(), "photo");
  ASSERT_TRUE(box);
  const std::string text = MessageBoxText(box);
  EXPECT_NE(text.find("6000x4000"), std::string::npos) << text;
  EXPECT_NE(text.find("Suggested Style : Fill"), std::string::npos) << text;
  PressButton(box, IDOK);
}

}  // namespace
}  // namespace e2e
