// Two monitors: the wallpaper bitmap spans the virtual screen, each monitor's
// part composed at that monitor's size, one picture for all or one each.
// Runs in the two-monitor session (wine_session_start_dual), where Wine paints
// no wallpaper: the tests read the saved bitmap and the desktop values.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cctype>
#include <mutex>
#include <thread>

#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"

namespace e2e {
namespace {

struct Monitor {
  RECT r;
  bool primary;
  bool operator==(const Monitor& o) const { return ::EqualRect(&r, &o.r) && primary == o.primary; }
};

// Left to right, then top to bottom.
void Sort(std::vector<Monitor>& ms) {
  std::sort(ms.begin(), ms.end(), [](const Monitor& a, const Monitor& b) {
    return a.r.left != b.r.left ? a.r.left < b.r.left : a.r.top < b.r.top;
  });
}

std::vector<Monitor> Monitors() {
  std::vector<Monitor> all;
  ::EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT, LPARAM p) -> BOOL {
        MONITORINFO mi{sizeof mi, {}, {}, 0};
        ::GetMonitorInfoA(m, &mi);
        reinterpret_cast<std::vector<Monitor>*>(p)->push_back({mi.rcMonitor, (mi.dwFlags & MONITORINFOF_PRIMARY) != 0});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  Sort(all);
  return all;
}

std::string Describe(const std::vector<Monitor>& ms) {
  std::string s;
  for (const Monitor& m : ms)
    s += "(" + std::to_string(m.r.left) + "," + std::to_string(m.r.top) + ")-(" + std::to_string(m.r.right) + "," +
         std::to_string(m.r.bottom) + (m.primary ? ") primary " : ") ");
  return s;
}

// Puts the primary monitor at (0,0) and the second one at `at`, in these
// sizes, as the display settings would; true once the system reports it
// (at once with wait false).
bool SetLayout(SIZE primary, SIZE second, POINT at, bool wait = true) {
  auto stage = [](const char* device, SIZE s, POINT p) {
    DEVMODEA dm{};
    dm.dmSize = sizeof dm;
    dm.dmPelsWidth = static_cast<DWORD>(s.cx);
    dm.dmPelsHeight = static_cast<DWORD>(s.cy);
    dm.dmPosition = {p.x, p.y};
    dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_POSITION;
    return ::ChangeDisplaySettingsExA(device, &dm, nullptr, CDS_UPDATEREGISTRY | CDS_NORESET, nullptr) ==
           DISP_CHANGE_SUCCESSFUL;
  };
  if (!stage("\\\\.\\DISPLAY1", primary, {0, 0}) || !stage("\\\\.\\DISPLAY2", second, at)) return false;
  ::ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
  if (!wait) return true;
  std::vector<Monitor> want = {{{0, 0, primary.cx, primary.cy}, true},
                               {{at.x, at.y, at.x + second.cx, at.y + second.cy}, false}};
  Sort(want);
  return WaitUntil([&] { return Monitors() == want; }, 5000);
}

constexpr SIZE kXga{1024, 768}, kSxga{1280, 1024};
constexpr SIZE kPair{2048, 768};  // the virtual screen of two 1024 x 768 side by side

std::uint32_t RedLeftBlueRight(int x, int) { return x < 32 ? 0xFF0000 : 0x0000FF; }
// As on one monitor, Centered leaves the rest of its monitor black; only what
// no monitor shows is the desktop colour.
constexpr std::uint32_t kBlack = 0;

class MultiMonitorTest : public VdTest {
 protected:
  // Every scenario starts from two 1024 x 768 monitors side by side.
  void SetUp() override {
    ASSERT_TRUE(SetLayout(kXga, kXga, {1024, 0}))
        << "needs the two-monitor session (wine_session_start_dual); the monitors are " << Describe(Monitors());
  }
  void TearDown() override {
    KillStrayPrograms();  // before the display changes under it
    SetLayout(kXga, kXga, {1024, 0});
  }

  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }
  HWND ImgList(const Process& vd) const { return ::GetDlgItem(MainWindow(vd), ids::imgList); }
  static std::optional<std::string> Desktop(const char* name) { return RegRead(HKEY_CURRENT_USER, kDesktopKey, name); }
  static void Setting(const char* name, const char* value) { RegWrite(HKEY_CURRENT_USER, kProgramKey, name, value); }
  static std::uint32_t DesktopColour() {
    const COLORREF c = ::GetSysColor(COLOR_DESKTOP);  // 0x00BBGGRR
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  }

  static constexpr int kPrevious = -2;
  // Runs one change (a double click on entry, the tray menu's change when
  // entry is -1, its "Previous Wallpaper" for kPrevious) and reads the bitmap it wrote, checking the span values; no
  // bitmap unless it has the virtual screen's size.
  std::optional<Bitmap> Change(const Process& vd, SIZE screen, int entry = -1) {
    ::DeleteFileA(BitmapPath().c_str());
    if (entry >= 0) {
      DoubleClickListItem(ImgList(vd), entry);
    } else if (entry == kPrevious) {
      ::PostMessageA(MainWindow(vd), WM_COMMAND, ids::mnuPrevious, 0);
    } else {
      ::PostMessageA(MainWindow(vd), WM_COMMAND, ids::mnuChange, 0);
    }
    std::optional<Bitmap> bmp;
    WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 10000, 50);
    WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);
    EXPECT_EQ(Desktop("WallpaperStyle"), "22") << "the span position";
    EXPECT_EQ(Desktop("TileWallpaper"), "0");
    EXPECT_EQ(Desktop("Wallpaper"), BitmapPath());
    if (!bmp) {
      ADD_FAILURE() << "no wallpaper bitmap was written";
    } else if (bmp->width != screen.cx || bmp->height != screen.cy) {
      ADD_FAILURE() << "the bitmap is " << bmp->width << " x " << bmp->height << ", the virtual screen " << screen.cx
                    << " x " << screen.cy;
      bmp.reset();
    }
    return bmp;
  }

  // Expects colour at each point of the bitmap.
  static void ExpectAt(const Bitmap& bmp, std::initializer_list<POINT> points, std::uint32_t colour, const char* what) {
    for (POINT p : points)
      EXPECT_LE(ColourDistance(bmp.At(p.x, p.y), colour), 8)
          << what << " at " << p.x << "," << p.y << std::hex << ": " << bmp.At(p.x, p.y);
  }
  // Pixels of the rectangle farther than 40 from colour.
  static int Unlike(const Bitmap& bmp, RECT r, std::uint32_t colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += ColourDistance(bmp.At(x, y), colour) > 40;
    return n;
  }
  // The calendar page's place on a monitor whose right edge is at x.
  static RECT PageAt(int right) { return {right - 16 - 44, 16, right - 16, 16 + 62}; }
};

TEST_F(MultiMonitorTest, OnePictureIsComposedForEachMonitorAcrossTheVirtualScreen) {
  const std::string halves = Temp() / "halves.bmp", green = Temp() / "green.bmp";
  ASSERT_TRUE(MakePicture(halves, 64, 40, "bmp", &RedLeftBlueRight));
  ASSERT_TRUE(MakeSolidPicture(green, 64, 40, "bmp", 0x00FF00));
  WriteFileText(DefaultListPath(), halves + "\r\n" + green + "\r\n");

  {
    SCOPED_TRACE("Stretched, the setting absent, with the calendar page");
    FixedStyle(2);
    Setting("ShowDate", "1");
    Process vd = StartVd();
    auto bmp = Change(vd, kPair, 0);
    ASSERT_TRUE(bmp);
    // Each monitor shows the whole picture stretched to it: red left half, blue right half.
    ExpectAt(*bmp, {{0, 0}, {500, 384}, {2, 765}, {1024, 0}, {1024 + 500, 384}, {1026, 765}}, 0xFF0000, "red");
    ExpectAt(*bmp, {{530, 384}, {1023, 767}, {1023, 100}, {1024 + 530, 384}, {2047, 767}, {2047, 100}}, 0x0000FF,
             "blue");
    // One calendar page, in the primary monitor's top-right corner only.
    EXPECT_GT(Unlike(*bmp, PageAt(1024), 0x0000FF), 1000) << "the page on the primary monitor";
    EXPECT_EQ(Unlike(*bmp, PageAt(2048), 0x0000FF), 0) << "no page on the second monitor";
  }
  KillStrayPrograms();
  {
    SCOPED_TRACE("Centered, a garbage setting reads as the same picture everywhere");
    FixedStyle(0);
    Setting("Multiple Monitors", "garbage");
    Process vd = StartVd();
    auto bmp = Change(vd, kPair, 0);
    ASSERT_TRUE(bmp);
    // The picture in the middle of each monitor, black around it.
    for (int left : {0, 1024}) {
      const int cx = left + (1024 - 64) / 2, cy = (768 - 40) / 2;
      ExpectAt(*bmp, {{cx, cy}, {cx + 31, cy + 39}}, 0xFF0000, "picture's left half");
      ExpectAt(*bmp, {{cx + 32, cy}, {cx + 63, cy + 39}}, 0x0000FF, "picture's right half");
      ExpectAt(*bmp, {{cx - 1, cy}, {cx + 64, cy + 39}, {cx, cy - 1}, {cx + 63, cy + 40}, {left, 0},
                      {left + 1023, 767}, {left + 512, 10}},
               kBlack, "around the picture");
    }
  }
}

TEST_F(MultiMonitorTest, DifferentPicturesTakeTheNextEntriesLeftToRight) {
  FixedStyle(2);
  Setting("Randomize", "0");
  Setting("Multiple Monitors", "1");
  const std::uint32_t colours[] = {0xC02020, 0x20C020, 0x2020C0};
  std::string list;
  for (int i = 0; i < 3; ++i) {
    const std::string pic = Temp() / ("p" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(MakeSolidPicture(pic, 32, 24, "bmp", colours[i]));
    list += pic + "\r\n";
  }
  WriteFileText(DefaultListPath(), list);
  auto expectHalves = [](const Bitmap& bmp, std::uint32_t left, std::uint32_t right) {
    ExpectAt(bmp, {{0, 0}, {512, 384}, {1023, 767}, {1023, 0}, {0, 767}}, left, "left monitor");
    ExpectAt(bmp, {{1024, 0}, {1536, 384}, {2047, 767}, {2047, 0}, {1024, 767}}, right, "right monitor");
  };
  {
    Process vd = StartVd();
    // Nothing is selected at start: entries 0 and 1, then 2 and (wrapping) 0.
    auto bmp = Change(vd, kPair);
    ASSERT_TRUE(bmp);
    expectHalves(*bmp, colours[0], colours[1]);
    bmp = Change(vd, kPair);
    ASSERT_TRUE(bmp);
    expectHalves(*bmp, colours[2], colours[0]);
    // Previous shows both monitors' pictures of the change before; Change
    // goes forward to the next pair shown, then takes new entries after the
    // last ones taken.
    bmp = Change(vd, kPair, kPrevious);
    ASSERT_TRUE(bmp);
    expectHalves(*bmp, colours[0], colours[1]);
    bmp = Change(vd, kPair);
    ASSERT_TRUE(bmp);
    expectHalves(*bmp, colours[2], colours[0]);
    bmp = Change(vd, kPair);
    ASSERT_TRUE(bmp);
    expectHalves(*bmp, colours[1], colours[2]);
  }
  KillStrayPrograms();
  {
    SCOPED_TRACE("a list of one picture");
    WriteFileText(DefaultListPath(), Temp() / "p1.bmp" + "\r\n");
    Process vd = StartVd();
    auto bmp = Change(vd, kPair);
    ASSERT_TRUE(bmp);
    expectHalves(*bmp, colours[1], colours[1]);
  }
  KillStrayPrograms();
  {
    SCOPED_TRACE("\"0\" is the same picture on every monitor");
    Setting("Multiple Monitors", "0");
    WriteFileText(DefaultListPath(), list);
    Process vd = StartVd();
    auto bmp = Change(vd, kPair);
    ASSERT_TRUE(bmp);
    expectHalves(*bmp, colours[0], colours[0]);
  }
}

TEST_F(MultiMonitorTest, LargerPrimaryWithASmallerMonitorLeftOfIt) {
  // The second monitor, 1024 x 768, sits left of a 1280 x 1024 primary: the
  // virtual screen is (-1024,0)-(1280,1024) and the bitmap's origin is the
  // left monitor's corner, with a 256-row gap below that monitor.
  ASSERT_TRUE(SetLayout(kSxga, kXga, {-1024, 0})) << "the monitors are " << Describe(Monitors());
  FixedStyle(0);
  Setting("Randomize", "0");
  Setting("Multiple Monitors", "1");
  Setting("ShowDate", "1");
  const std::string red = Temp() / "red.bmp", green = Temp() / "green.bmp";
  ASSERT_TRUE(MakeSolidPicture(red, 64, 40, "bmp", 0xFF0000));
  ASSERT_TRUE(MakeSolidPicture(green, 64, 40, "bmp", 0x00FF00));
  WriteFileText(DefaultListPath(), red + "\r\n" + green + "\r\n");
  const std::uint32_t desk = DesktopColour();
  ASSERT_GT(ColourDistance(desk, kBlack), 40) << "the gap check needs a desktop colour other than black";

  Process vd = StartVd();
  auto bmp = Change(vd, {2304, 1024});
  ASSERT_TRUE(bmp);
  // Left monitor (first entry), centred in its 1024 x 768.
  const int lx = (1024 - 64) / 2, ly = (768 - 40) / 2;
  ExpectAt(*bmp, {{lx, ly}, {lx + 63, ly + 39}}, 0xFF0000, "left monitor's picture");
  ExpectAt(*bmp, {{lx - 1, ly}, {lx + 64, ly + 39}, {lx, ly - 1}, {lx, ly + 40}, {0, 0}, {1023, 767}}, kBlack,
           "around the left monitor's picture");
  // The primary (second entry), centred in its 1280 x 1024.
  const int px = 1024 + (1280 - 64) / 2, py = (1024 - 40) / 2;
  ExpectAt(*bmp, {{px, py}, {px + 63, py + 39}}, 0x00FF00, "primary's picture");
  ExpectAt(*bmp, {{px - 1, py}, {px + 64, py + 39}, {px, py - 1}, {px, py + 40}, {1024, 0}, {2303, 1023}}, kBlack,
           "around the primary's picture");
  // No monitor shows the gap under the left monitor.
  EXPECT_EQ(Unlike(*bmp, {0, 768, 1024, 1024}, desk), 0) << "the gap is the desktop colour";
  // The calendar page at the primary's top-right corner, nowhere else.
  EXPECT_GT(Unlike(*bmp, PageAt(2304), kBlack), 1000) << "the page on the primary monitor";
  EXPECT_EQ(Unlike(*bmp, PageAt(1024), kBlack), 0) << "no page on the left monitor";

  // The monitors change while VD runs: the same two pictures are composed
  // again for the new layout, in the same order left to right, and no new
  // one is taken.
  const int selected = ListBoxSelection(ImgList(vd));
  ASSERT_TRUE(SetLayout(kXga, kXga, {1024, 0})) << "the monitors are " << Describe(Monitors());
  std::optional<Bitmap> again;
  EXPECT_TRUE(WaitUntil([&] { return (again = ReadBmp(BitmapPath())) && again->width == kPair.cx; }, 15000))
      << "not composed again for the new layout";
  ASSERT_TRUE(again);
  ExpectAt(*again, {{(1024 - 64) / 2, (768 - 40) / 2}}, 0xFF0000, "the first picture, on the left");
  ExpectAt(*again, {{1024 + (1024 - 64) / 2, (768 - 40) / 2}}, 0x00FF00, "the second picture, on the right");
  EXPECT_EQ(ListBoxSelection(ImgList(vd)), selected) << "a new picture was taken";
  EXPECT_EQ(Desktop("WallpaperStyle"), "22");
}

// The bitmap's last-write times while it watches: one per composition, as
// each is written beside and moved over the old one.
class BitmapWrites {
 public:
  explicit BitmapWrites(std::string path)
      : path_(std::move(path)), last_(Stamp()), thread_([this] {
          while (!stop_) {
            const ULONGLONG t = Stamp();
            if (t != 0 && t != last_) {
              std::lock_guard lock(mutex_);
              last_ = t;
              ++count_;
            }
            ::Sleep(2);
          }
        }) {}
  ~BitmapWrites() {
    stop_ = true;
    thread_.join();
  }
  int Count() {
    std::lock_guard lock(mutex_);
    return count_;
  }

 private:
  ULONGLONG Stamp() const {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!::GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (ULONGLONG{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime;
  }
  std::string path_;
  std::mutex mutex_;
  ULONGLONG last_;
  int count_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST_F(MultiMonitorTest, AMonitorChangeRecomposesOnlyVdsOwnWallpaperAndOnlyForNewMonitors) {
  FixedStyle(0);
  Setting("Randomize", "0");
  Setting("Multiple Monitors", "1");
  const std::string red = Temp() / "red.bmp", green = Temp() / "green.bmp", theirs = Temp() / "theirs.bmp";
  ASSERT_TRUE(MakeSolidPicture(red, 64, 40, "bmp", 0xFF0000));
  ASSERT_TRUE(MakeSolidPicture(green, 64, 40, "bmp", 0x00FF00));
  ASSERT_TRUE(MakeSolidPicture(theirs, 64, 40, "bmp", 0x808000));
  WriteFileText(DefaultListPath(), red + "\r\n" + green + "\r\n");
  Process vd = StartVd();
  ASSERT_TRUE(Change(vd, kPair));
  {
    SCOPED_TRACE("a taskbar that moves changes the work area, not the monitors");
    BitmapWrites writes(BitmapPath());
    for (int i = 0; i < 3; ++i) {
      DWORD_PTR r = 0;
      ::SendMessageTimeoutA(MainWindow(vd), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_NORMAL, 5000, &r);
    }
    ::Sleep(3500);  // past the quiet time after a change, and a composition
    EXPECT_EQ(writes.Count(), 0) << "composed again for the same monitors";
  }
  {
    SCOPED_TRACE("another program's wallpaper stays over a monitor change");
    ASSERT_TRUE(::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(theirs.c_str()),
                                        SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE));
    ASSERT_EQ(Desktop("Wallpaper"), theirs);
    BitmapWrites writes(BitmapPath());
    ASSERT_TRUE(SetLayout(kSxga, kXga, {-1024, 0})) << "the monitors are " << Describe(Monitors());
    ::Sleep(3500);  // past the quiet time after a change, and a composition
    EXPECT_EQ(Desktop("Wallpaper"), theirs) << "VD put its own wallpaper back";
    EXPECT_EQ(writes.Count(), 0);
  }
  {
    SCOPED_TRACE("VD's own, named in another letter case: a burst of changes gives one composition, for the last");
    std::string upper = BitmapPath();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    RegWrite(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", upper);
    BitmapWrites writes(BitmapPath());
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 4; ++i) {
      ASSERT_TRUE(SetLayout(kXga, kXga, {1024, 0}, false));
      ASSERT_TRUE(SetLayout(kXga, kSxga, {1024, 0}, false));
    }
    ASSERT_TRUE(SetLayout(kXga, kXga, {0, 768}));  // the second one below the first
    std::printf("[ measure ] nine layouts in %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - t0)
                                           .count()));
    std::optional<Bitmap> bmp;
    EXPECT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())) && bmp->height == 1536; }, 15000))
        << "not composed again for the last layout";
    ::Sleep(1500);
    EXPECT_EQ(writes.Count(), 1) << "one composition for the burst";
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->width, 1024);
    ExpectAt(*bmp, {{(1024 - 64) / 2, (768 - 40) / 2}}, 0xFF0000, "the first picture, on top");
    ExpectAt(*bmp, {{(1024 - 64) / 2, 768 + (768 - 40) / 2}}, 0x00FF00, "the second picture, below");
    EXPECT_EQ(Desktop("Wallpaper"), BitmapPath());
  }
}

}  // namespace
}  // namespace e2e
