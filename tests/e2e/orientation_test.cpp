// Phone and camera photos: the EXIF orientation tag turns the picture upright
// before it is composed.
#include <fstream>
#include <iterator>

#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

constexpr int kScreenW = 1024, kScreenH = 768;
int kUprightW = 64, kUprightH = 40;

// The upright picture: red, blue / green, white quadrants.
std::uint32_t Quadrant(int x, int y) {
  const bool left = x < kUprightW / 2, top = y < kUprightH / 2;
  return top ? (left ? 0xFF0000 : 0x0000FF) : (left ? 0x00FF00 : 0xFFFFFF);
}

// The sensor's picture for the orientation being written: what a camera held
// that way stores, so that turning it as the tag says gives the quadrants.
int g_orientation = 1;
std::uint32_t Stored(int sx, int sy) {
  const bool swap = g_orientation >= 5;
  const int sw = swap ? kUprightH : kUprightW, sh = swap ? kUprightW : kUprightH;
  switch (g_orientation) {
    case 2: return Quadrant(sw - 1 - sx, sy);
    case 3: return Quadrant(sw - 1 - sx, sh - 1 - sy);
    case 4: return Quadrant(sx, sh - 1 - sy);
    case 5: return Quadrant(sy, sx);
    case 6: return Quadrant(sh - 1 - sy, sx);
    case 7: return Quadrant(sh - 1 - sy, sw - 1 - sx);
    case 8: return Quadrant(sy, sw - 1 - sx);
    default: return Quadrant(sx, sy);
  }
}

// Puts a camera's APP1 "Exif" block, big-endian, with IFD0 holding the
// Orientation tag, right after the start of the JPEG.
bool TagOrientation(const std::string& path, int orientation) {
  std::ifstream in(path, std::ios::binary);
  std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  if (jpeg.size() < 4 || static_cast<unsigned char>(jpeg[0]) != 0xFF) return false;
  const std::string tiff = std::string("MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19) +
                           static_cast<char>(orientation) + std::string("\0\0\0\0\0\0", 6);
  const std::string app1 = std::string("Exif\0\0", 6) + tiff;
  const std::size_t length = app1.size() + 2;
  const std::string segment = std::string("\xFF\xE1", 2) + static_cast<char>(length >> 8) +
                              static_cast<char>(length & 0xFF) + app1;
  jpeg.insert(2, segment);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(jpeg.data(), static_cast<std::streamsize>(jpeg.size()));
  return static_cast<bool>(out);
}

class OrientationTest : public VdTest {};

TEST_F(OrientationTest, PhotosOfEveryOrientationComeOutUpright) {
  FixedStyle(0);
  std::string list;
  for (int o = 1; o <= 8; ++o) {
    const std::string pic = Temp() / ("photo" + std::to_string(o) + ".jpg");
    g_orientation = o;
    const bool swap = o >= 5;
    ASSERT_TRUE(MakePicture(pic, swap ? kUprightH : kUprightW, swap ? kUprightW : kUprightH, "jpg", &Stored));
    ASSERT_TRUE(TagOrientation(pic, o));
    list += pic + "\r\n";
  }
  WriteFileText(DefaultListPath(), list);
  Process vd = StartVd();
  const std::string bitmap = Temp().Path() + "\\Vexa Desktop.bmp";
  HWND imgList = ::GetDlgItem(MainWindow(vd), ids::imgList);
  // Centered at its own size: the upright picture is 64 x 40 in the middle.
  const int left = (kScreenW - kUprightW) / 2, top = (kScreenH - kUprightH) / 2;
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE("orientation " + std::to_string(o));
    ::DeleteFileA(bitmap.c_str());
    DoubleClickListItem(imgList, o - 1);
    std::optional<Bitmap> bmp;
    ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(bitmap)).has_value(); }, 10000, 50));
    WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);
    for (POINT p : {POINT{8, 6}, POINT{56, 6}, POINT{8, 34}, POINT{56, 34}}) {
      EXPECT_LE(ColourDistance(bmp->At(left + p.x, top + p.y), Quadrant(p.x, p.y)), 40) << p.x << "," << p.y;
    }
    // Nothing of a sideways picture sticks out above or beside it.
    EXPECT_EQ(bmp->At(left - 3, top + 20), 0u);
    EXPECT_EQ(bmp->At(left + 32, top - 3), 0u);
  }
}

TEST_F(OrientationTest, ABigTurnedPhotoStandsUprightWhetherPartOrAllOfItIsDecoded) {
  // Stored 1200 x 900, shown 900 x 1200: taller than the screen, so Centered
  // decodes only the middle; Stretched scales the whole of it.
  FixedStyle(0);  // each case below sets its own style
  kUprightW = 900;
  kUprightH = 1200;
  g_orientation = 6;
  const std::string pic = Temp() / "portrait.jpg";
  ASSERT_TRUE(MakePicture(pic, 1200, 900, "jpg", &Stored));
  ASSERT_TRUE(TagOrientation(pic, 6));
  kUprightW = 64;
  kUprightH = 40;
  WriteFileText(DefaultListPath(), pic + "\r\n");
  const std::string bitmap = Temp().Path() + "\\Vexa Desktop.bmp";
  const COLORREF sys = ::GetSysColor(COLOR_DESKTOP);  // 0x00BBGGRR
  const std::uint32_t background = ((sys & 0xFF) << 16) | (sys & 0xFF00) | ((sys >> 16) & 0xFF);
  struct Case {
    int style;  // -1: the automatic style
    const char* written;
    std::vector<std::pair<POINT, std::uint32_t>> points;
  };
  // Centered: left (1024 - 900) / 2 = 62, top (768 - 1200) / 2 = -216, so the
  // quadrants meet at (512, 384). Stretched: they meet there too. The
  // automatic style fits the whole photo, 576 x 768 from x = 224, between
  // bands of the desktop colour.
  const Case cases[] = {
      {0, "0", {{{300, 200}, 0xFF0000}, {{700, 200}, 0x0000FF}, {{300, 600}, 0x00FF00}, {{700, 600}, 0xFFFFFF},
                {{30, 384}, 0x000000}, {{1000, 384}, 0x000000}}},
      {2, "2", {{{30, 30}, 0xFF0000}, {{1000, 30}, 0x0000FF}, {{30, 740}, 0x00FF00}, {{1000, 740}, 0xFFFFFF}}},
      {-1, "6", {{{230, 3}, 0xFF0000}, {{794, 3}, 0x0000FF}, {{230, 764}, 0x00FF00}, {{794, 764}, 0xFFFFFF},
                 {{150, 384}, background}, {{900, 384}, background}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style));
    KillStrayPrograms();
    // The automatic style decides whatever is stored, Fill ("10") too.
    RegWrite(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", c.style < 0 ? "10" : std::to_string(c.style));
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", c.style < 0 ? "1" : "0");
    Process vd = StartVd();
    ::DeleteFileA(bitmap.c_str());
    DoubleClickListItem(::GetDlgItem(MainWindow(vd), ids::imgList), 0);
    std::optional<Bitmap> bmp;
    ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(bitmap)).has_value(); }, 20000, 50));
    WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);
    for (const auto& [p, colour] : c.points) {
      EXPECT_LE(ColourDistance(bmp->At(p.x, p.y), colour), 40) << p.x << "," << p.y;
    }
    EXPECT_TRUE(WaitUntil([&] { return RegRead(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle") == c.written; }, 5000));
    if (c.style < 0) {
      EXPECT_EQ(ControlText(MainWindow(vd), ids::lblStyle), "Fit");
    }
  }

  // Properties gives the size as the photo is shown.
  KillStrayPrograms();
  Process vd = StartVd();
  HWND imgList = ::GetDlgItem(MainWindow(vd), ids::imgList);
  ClickListItem(imgList, 0);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(imgList) == 0; }, 5000));
  ASSERT_TRUE(ChooseFromImageMenu(imgList, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND box = WaitForDialog(vd.Pid(), "portrait");
  ASSERT_TRUE(box);
  const std::string text = MessageBoxText(box);
  EXPECT_NE(text.find("900x1200"), std::string::npos) << text;
  EXPECT_NE(text.find("Suggested Style : Fit"), std::string::npos) << text;
  PressButton(box, IDOK);
}

}  // namespace
}  // namespace e2e
