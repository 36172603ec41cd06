// Pictures larger than the screen: Centered shows the middle of the picture
// and Tiled its top-left corner, both at the picture's own pixel size;
// Stretched shows all of it scaled down.
#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"

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
  ASSERT_TRUE(MakeSolidPicture(photo, 4000, 3000, "bmp", 0x996633));     // suggests Stretched
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

}  // namespace
}  // namespace e2e
