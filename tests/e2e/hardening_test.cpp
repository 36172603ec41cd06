// Hostile input: pictures whose headers claim billions of pixels, list files
// that cannot be read or sit at odd paths, oversized command texts, saves
// that cannot go through, stored values the program never writes, and
// relays that arrive while VD is busy.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <thread>

#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "support/byte_strings.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

std::string Lines(const std::vector<std::string>& paths) {
  std::string s;
  for (const std::string& p : paths) s += p + "\r\n";
  return s;
}

using bytes::Be16;
using bytes::Be32;
using bytes::Le16;
using bytes::Le32;
using bytes::Segment;

// A baseline JPEG of about 10 KB whose frame header claims width x height.
std::string JpegClaiming(unsigned width, unsigned height) {
  const std::string dht = Segment(0xC4, std::string("\x00", 1) + std::string("\x01", 1) + std::string(15, '\0') +
                                            std::string("\x00", 1));
  return "\xFF\xD8" + Segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14)) +
         Segment(0xDB, std::string(1, '\0') + std::string(64, '\x01')) +
         Segment(0xC0, std::string("\x08", 1) + Be16(height) + Be16(width) + std::string("\x01\x01\x11\x00", 4)) +
         dht + Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)) + std::string(10000, '\0') + "\xFF\xD9";
}

// A 24-bit bitmap's headers claiming width x height, followed by data bytes.
std::string BmpClaiming(unsigned width, unsigned height, std::size_t data) {
  return "BM" + Le32(static_cast<unsigned>(54 + data)) + Le32(0) + Le32(54) + Le32(40) + Le32(width) + Le32(height) +
         Le16(1) + Le16(24) + Le32(0) + Le32(0) + Le32(2835) + Le32(2835) + Le32(0) + Le32(0) +
         std::string(data, '\x7F');
}

// A GIF whose logical screen is width x height, holding one 1 x 1 frame.
std::string GifClaiming(unsigned width, unsigned height) {
  return "GIF89a" + Le16(width) + Le16(height) + std::string("\x80\0\0", 3) + std::string(6, '\x40') + "," + Le32(0) +
         Le16(1) + Le16(1) + std::string("\0\x02\x02\x4C\x01\0", 6) + ";";
}

std::string PngClaiming(unsigned width, unsigned height, char depth = 8, char colour = 2) {
  return std::string("\x89PNG\r\n\x1A\n", 8) + Be32(13) + "IHDR" + Be32(width) + Be32(height) + depth + colour +
         std::string("\0\0\0", 3) + Be32(0) + Be32(600) + "IDAT" + std::string(600, '\0') + Be32(0) + Be32(0) +
         "IEND" + Be32(0);
}

class HardeningTest : public VdTest {
 protected:
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }
  HWND ImgList(const Process& vd) const { return ::GetDlgItem(MainWindow(vd), ids::imgList); }

  std::string Picture(const std::string& name, std::uint32_t rgb = 0x4080C0) {
    const std::string path = Temp() / name;
    EXPECT_TRUE(MakeSolidPicture(path, 8, 8, "bmp", rgb));
    return path;
  }

  // Runs Pelorin to its end; its exit code (0: the running VD took the text).
  std::optional<DWORD> Relay(const std::string& args, int timeoutMs = 60000) {
    Process p = StartUtf8(PelorinExe(), args, Temp().Path());
    EXPECT_TRUE(p.WaitExit(timeoutMs)) << "Pelorin did not end: " << args.substr(0, 60);
    return p.ExitCode();
  }

  // Every VD but the one kept has ended (the copies Pelorin started).
  static bool OthersEnded(DWORD keep) {
    return WaitUntil(
        [&] {
          for (DWORD pid : ProcessIdsOf("VD.exe"))
            if (pid != keep) return false;
          return true;
        },
        15000, 50);
  }

  // The text of a message box VD shows, which is then closed with OK; empty
  // when none comes within the time.
  static std::string TakeMessageBox(const Process& vd, int timeoutMs = 10000) {
    HWND box = WaitForProcessWindow(vd.Pid(), "#32770", "Vexa Desktop", timeoutMs);
    if (!box) return {};
    const std::string text = ControlText(box, 0xFFFF);
    ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    WaitUntil([&] { return !::IsWindow(box); }, 5000);
    return text.empty() ? "<empty>" : text;
  }
};

TEST_F(HardeningTest, HostilePicturesNeverReachTheDecoderAndADoubleClickSaysWhy) {
  FixedStyle(2);
  struct Hostile {
    std::string name, bytes, reason;
  };
  const std::vector<Hostile> hostile = {
      {"bomb.jpg", JpegClaiming(65500, 65500), "is too large to be used as a wallpaper: 65500 x 65500 pixels."},
      {"bomb.bmp", BmpClaiming(65535, 65535, 100), "is too large to be used as a wallpaper: 65535 x 65535 pixels."},
      {"short.bmp", BmpClaiming(4000, 3000, 5000), "is damaged: the file is shorter than the picture it describes."},
      {"screen.gif", GifClaiming(30000, 30000), "is too large to be used as a wallpaper: 30000 x 30000 pixels."},
      {"png.jpg", PngClaiming(30000, 30000), "is too large to be used as a wallpaper: 30000 x 30000 pixels."},
      {"tiff.jpg", std::string("II*\0\x08\0\0\0", 8) + std::string(100, '\0'), "is not a picture that can be read"},
      // Within the pixel budget, but too small to hold the blocks or rows claimed.
      {"claims.jpg", JpegClaiming(16384, 16384), "is damaged: the file is shorter than the picture it describes."},
      {"claims.png", PngClaiming(16000, 16000), "is damaged: the file is shorter than the picture it describes."},
  };
  std::vector<std::string> paths;
  for (const Hostile& h : hostile) {
    paths.push_back(Temp() / h.name);
    WriteFileText(paths.back(), h.bytes);
  }
  ASSERT_LT(hostile[0].bytes.size(), 11000u);
  ASSERT_EQ(hostile[1].bytes.size(), 154u);
  const std::string good = Temp() / "good.bmp";
  ASSERT_TRUE(MakeSolidPicture(good, 64, 48, "bmp", 0x20A040));
  paths.push_back(good);
  WriteFileText(DefaultListPath(), Lines(paths));
  Process vd = StartVd();
  HWND list = ImgList(vd);
  ASSERT_EQ(ListBoxItems(list).size(), paths.size());

  // Picked by a click, one says why and the selection stays on it.
  ClickListItem(list, 0);
  const std::string clicked = TakeMessageBox(vd);
  EXPECT_NE(clicked.find(hostile[0].reason), std::string::npos) << clicked;
  EXPECT_EQ(ListBoxSelection(list), 0);
  ASSERT_TRUE(vd.Running()) << "exit code " << vd.ExitCode().value_or(0);

  // Double-clicked, each says why (once), and nothing is applied.
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    SCOPED_TRACE(hostile[i].name);
    DoubleClickListItem(list, static_cast<int>(i));
    const std::string text = TakeMessageBox(vd);
    EXPECT_NE(text.find(paths[i]), std::string::npos) << text;
    EXPECT_NE(text.find(hostile[i].reason), std::string::npos) << text;
    EXPECT_EQ(TakeMessageBox(vd, 500), "") << "a second box for the same double-click";
    ASSERT_TRUE(vd.Running());
  }
  EXPECT_FALSE(FileExists(BitmapPath())) << "no wallpaper was made from the next entry instead";
  EXPECT_EQ(ListBoxItems(list).size(), paths.size()) << "refused pictures stay listed";

  // The good one still applies.
  DoubleClickListItem(list, static_cast<int>(hostile.size()));
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 10000));
  // The system is pointed at the bitmap once it is written.
  EXPECT_TRUE(WaitUntil([&] { return RegRead(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper") == BitmapPath(); }, 5000));
  EXPECT_TRUE(vd.Running());
}

TEST_F(HardeningTest, DefaultListHeldOpenAtStartIsNeverWrittenOver) {
  FixedStyle(0);
  const std::string red = Picture("red.bmp"), green = Picture("green.bmp"), blue = Picture("blue.bmp");
  const std::string original = Lines({red, green});
  WriteFileText(DefaultListPath(), original);
  HANDLE hold = ::CreateFileA(DefaultListPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  auto held = [&] {
    std::string data(4096, '\0');
    DWORD got = 0;
    ::SetFilePointer(hold, 0, nullptr, FILE_BEGIN);
    ::ReadFile(hold, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
    data.resize(got);
    return data;
  };
  Process vd = StartVd();
  HWND list = ImgList(vd);
  EXPECT_TRUE(ListBoxItems(list).empty()) << "the list could not be read";

  // The first change is kept, not saved, and the user is told once.
  EXPECT_EQ(Relay("-i " + blue), 0u);
  const std::string told = TakeMessageBox(vd);
  EXPECT_NE(told.find("The wallpaper list file\r\n" + DefaultListPath() + "\r\ncould not be read"), std::string::npos)
      << told;
  EXPECT_EQ(Relay("-i " + blue), 0u);
  EXPECT_EQ(TakeMessageBox(vd, 1500), "") << "told only once";
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"blue", "blue"}));
  EXPECT_TRUE(OthersEnded(vd.Pid()));
  EXPECT_EQ(held(), original);
  ::CloseHandle(hold);
  EXPECT_TRUE(ListFileIs(original)) << "the user's list is whole";

  // Readable again: read before the next save, its entries first.
  EXPECT_EQ(Relay("-i " + red), 0u);
  const std::vector<std::string> all = {red, green, blue, blue, red};
  EXPECT_TRUE(ListFileIs(Lines(all)));
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"red", "green", "blue", "blue", "red"}));
  EXPECT_TRUE(vd.Running());
}

TEST_F(HardeningTest, DotsInAListPathOnTheCommandLineAreResolved) {
  FixedStyle(0);
  const std::string red = Picture("red.bmp"), green = Picture("green.bmp");
  const std::string lists = Temp() / "lists";
  MakeFolder(lists);
  MakeFolder(lists + "\\sub");
  WriteFileText(lists + "\\a.vdl", Lines({green}));
  for (const std::string& given : {lists + "\\.\\a.vdl", lists + "\\sub\\..\\.\\a.vdl"}) {
    SCOPED_TRACE(given);
    KillStrayPrograms();
    WriteFileText(DefaultListPath(), Lines({red}));
    Process vd = StartVd("-l " + given);
    EXPECT_EQ(ListBoxItems(ImgList(vd)), std::vector<std::string>{"green"});
    EXPECT_TRUE(ListFileIs(Lines({green})));
  }
  EXPECT_FALSE(FileExists(lists + "\\lists\\a.vdl"));
}

TEST_F(HardeningTest, OversizedCommandTextsAreRefusedAndVdKeepsRunning) {
  FixedStyle(0);
  const std::string red = Picture("red.bmp");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND box = ::GetDlgItem(main, ids::Text1);
  ASSERT_TRUE(box);
  for (std::size_t size : {std::size_t{1} << 20, std::size_t{200000}}) {
    const std::string huge = "-i " + std::string(size - 3, 'x');
    DWORD_PTR result = 1;
    const LRESULT answered = ::SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(huge.c_str()),
                                                   SMTO_NORMAL, 5000, &result);
    std::cout << "[ channel ] " << size << " characters: answered " << answered << ", result " << result << "\n";
    EXPECT_EQ(result, 0u) << size << " characters are refused";
    EXPECT_TRUE(WaitUntil([&] { return vd.Running() && MainWindow(vd) == main; }, 2000));
    ASSERT_TRUE(vd.Running()) << "VD ended with " << vd.ExitCode().value_or(0) << " after " << size;
  }
  EXPECT_TRUE(ControlText(main, ids::Text1) == "Text1") << "the box kept its text";
  // The channel still works.
  EXPECT_EQ(Relay("-i " + red), 0u);
  EXPECT_EQ(ListBoxItems(ImgList(vd)), std::vector<std::string>{"red"});
  EXPECT_TRUE(vd.Running());
}

// The longest path the ANSI file functions take here: probed, not assumed.
std::size_t LongestAnsiPath(const std::string& folder) {
  std::size_t longest = 0;
  for (std::size_t n = folder.size() + 2; n < folder.size() + 250; ++n) {
    const std::string path = folder + "\\" + std::string(n - folder.size() - 1, 'n');
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (f == INVALID_HANDLE_VALUE) break;
    ::CloseHandle(f);
    longest = n;
  }
  return longest;
}

TEST_F(HardeningTest, LongTempPathStillSavesTheListAndNeverPointsAtAnUnwrittenBitmap) {
  const std::string red = Picture("red.bmp"), green = Picture("green.bmp");
  const std::string probe = Temp() / "probe";
  MakeFolder(probe);
  const std::size_t longest = LongestAnsiPath(probe);
  ASSERT_GT(longest, Temp().Path().size() + 40);
  std::cout << "[ temp    ] the longest path the ANSI functions take: " << longest << " characters\n";
  // The list file's path is the longest there is; the bitmap's is longer.
  // The folder is made through the wide API, which takes any length.
  const std::string temp = Temp() / std::string(longest - 10 - Temp().Path().size() - 1, 't');
  ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + Wide(temp)).c_str(), nullptr));
  const std::string listPath = temp + "\\VDesk.ini";
  ASSERT_EQ(listPath.size(), longest);
  WriteFileText(listPath, Lines({red}));
  RegWrite(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", "C:\\previous.bmp");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "1");  // a change at start

  Process vd = Start(VdExe(), "", temp);
  ASSERT_TRUE(WaitReady(vd, 20000));
  EXPECT_EQ(ListBoxItems(ImgList(vd)), std::vector<std::string>{"red"});
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"), "C:\\previous.bmp")
      << "the bitmap could not be written, so the system is not pointed at it";

  Process relay = StartUtf8(PelorinExe(), "-i " + green, temp);
  ASSERT_TRUE(relay.WaitExit(60000));
  EXPECT_EQ(relay.ExitCode(), 0u);
  EXPECT_EQ(ListBoxItems(ImgList(vd)), (std::vector<std::string>{"red", "green"}));
  EXPECT_EQ(ReadFileText(listPath), Lines({red, green})) << "the relay was saved";
  EXPECT_TRUE(OthersEnded(vd.Pid()));
}

// The names in a folder, except those given.
std::vector<std::string> OtherNames(const std::string& folder, const std::vector<std::string>& known) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = fd.cFileName;
    if (name != "." && name != ".." && std::find(known.begin(), known.end(), name) == known.end())
      names.push_back(name);
  } while (::FindNextFileA(h, &fd));
  ::FindClose(h);
  return names;
}

TEST_F(HardeningTest, FailedSavesLeaveNoDebrisAndNeverMoveAFolder) {
  FixedStyle(0);
  const std::string red = Picture("red.bmp"), green = Picture("green.bmp");
  const std::vector<std::string> known = {"red.bmp", "green.bmp", "VDesk.ini"};
  WriteFileText(DefaultListPath(), Lines({red}));
  {
    // Held open by a reader that does not share deletion: every save fails.
    HANDLE hold = ::CreateFileA(DefaultListPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    Process vd = StartVd();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Relay("-i " + green), 0u);
    EXPECT_TRUE(OthersEnded(vd.Pid()));
    // The list's writer may still be at its last attempt.
    EXPECT_TRUE(WaitUntil([&] { return OtherNames(Temp().Path(), known).empty(); }, 5000))
        << "nothing left behind: " << (OtherNames(Temp().Path(), known).empty() ? "" : OtherNames(Temp().Path(), known)[0]);
    ::CloseHandle(hold);
    EXPECT_EQ(Relay("-i " + red), 0u);
    EXPECT_TRUE(ListFileIs(Lines({red, green, green, green, green, green, red})));
    EXPECT_EQ(OtherNames(Temp().Path(), known), std::vector<std::string>{});
  }
  KillStrayPrograms();

  // A folder where the list file belongs is left where it is, as it is.
  ::DeleteFileA(DefaultListPath().c_str());
  MakeFolder(DefaultListPath());
  WriteFileText(DefaultListPath() + "\\inside.txt", "mine");
  Process vd = StartVd();
  EXPECT_EQ(Relay("-i " + green), 0u);
  EXPECT_NE(TakeMessageBox(vd).find("could not be read"), std::string::npos);
  EXPECT_TRUE(OthersEnded(vd.Pid()));
  const DWORD attributes = ::GetFileAttributesA(DefaultListPath().c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(ReadFileText(DefaultListPath() + "\\inside.txt"), "mine");
  EXPECT_EQ(OtherNames(Temp().Path(), known), std::vector<std::string>{});
  EXPECT_EQ(ListBoxItems(ImgList(vd)), std::vector<std::string>{"green"}) << "the change is kept in memory";
}

TEST_F(HardeningTest, FolderWalkDoesNotFollowALinkBackUpTheTree) {
  FixedStyle(0);
  const std::string top = Temp() / "walk";
  MakeFolder(top);
  MakeFolder(top + "\\sub");
  ASSERT_TRUE(MakeSolidPicture(top + "\\a.bmp", 4, 4, "bmp", 0x102030));
  ASSERT_TRUE(MakeSolidPicture(top + "\\sub\\b.bmp", 4, 4, "bmp", 0x102030));
  if (!::CreateSymbolicLinkW(Wide(top + "\\sub\\back").c_str(), Wide(top).c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
    GTEST_SKIP() << "no folder links here: error " << ::GetLastError();
  Process vd = StartVd("-n " + top, false);
  ASSERT_TRUE(WaitReady(vd, 60000)) << "the walk ends";
  EXPECT_EQ(ListBoxItems(ImgList(vd)), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(ListFileIs(Lines({top + "\\a.bmp", top + "\\sub\\b.bmp", top + "\\**"})));
}

TEST_F(HardeningTest, PngAndTiffAreListedAndAppliedAndAPickedPictureThatCannotBeShownSaysWhy) {
  FixedStyle(2);
  const std::string top = Temp() / "pics", elsewhere = Temp() / "kept.tif";
  MakeFolder(top);
  ASSERT_TRUE(MakeSolidPicture(top + "\\red.png", 64, 48, "png", 0xC02020));
  ASSERT_TRUE(MakeSolidPicture(top + "\\green.tif", 64, 48, "tif", 0x20C020));
  ASSERT_TRUE(MakeSolidPicture(elsewhere, 64, 48, "tif", 0x2020C0));
  WriteFileText(top + "\\notes.txt", "not a picture");
  // Within the pixel budget, but 8 bytes a pixel: 2 GB to decode.
  WriteFileText(top + "\\deep.png", PngClaiming(16384, 16384, 16, 6));
  // A sound header over data that is not: only decoding finds out.
  WriteFileText(top + "\\broken.png", PngClaiming(64, 48));
  WriteFileText(DefaultListPath(), Lines({elsewhere}));

  Process vd = StartVd("-n " + top, false);
  ASSERT_TRUE(WaitReady(vd, 60000));
  HWND list = ImgList(vd);
  ASSERT_EQ(ListBoxItems(list), (std::vector<std::string>{"kept", "broken", "deep", "green", "red"}));
  EXPECT_TRUE(ListFileIs(Lines({elsewhere, top + "\\broken.png", top + "\\deep.png",
                                                     top + "\\green.tif", top + "\\red.png", top + "\\**"})));

  auto shows = [&](std::uint32_t rgb) {
    return WaitUntil(
        [&] {
          const auto b = ReadBmp(BitmapPath());
          return b && ColourDistance(b->At(b->width / 2, b->height / 2), rgb) <= 2;
        },
        10000);
  };
  DoubleClickListItem(list, 4);
  EXPECT_TRUE(shows(0xC02020)) << "the PNG is the wallpaper";
  DoubleClickListItem(list, 3);
  EXPECT_TRUE(shows(0x20C020)) << "the TIFF is the wallpaper";
  DoubleClickListItem(list, 0);
  EXPECT_TRUE(shows(0x2020C0)) << "the TIFF from the list file is the wallpaper";

  // Clicked, neither is passed over for the next entry: each says why.
  ClickListItem(list, 1);
  const std::string broken = TakeMessageBox(vd);
  EXPECT_NE(broken.find(top + "\\broken.png\r\nis not a picture that can be read"), std::string::npos) << broken;
  EXPECT_EQ(ListBoxSelection(list), 1);
  ClickListItem(list, 2);
  const std::string deep = TakeMessageBox(vd);
  EXPECT_NE(deep.find("is too large to be used as a wallpaper: 16384 x 16384 pixels."), std::string::npos) << deep;
  EXPECT_NE(deep.find("needs more than 1 GB of memory"), std::string::npos) << deep;
  EXPECT_EQ(ListBoxSelection(list), 2);
  EXPECT_TRUE(shows(0x2020C0)) << "the wallpaper stays";
  EXPECT_TRUE(vd.Running());
}

TEST_F(HardeningTest, StoredStyleOutsideTheListFallsBackToTheSuggestedOne) {
  FixedStyle(0);
  // "22" is what the system itself writes for Span.
  RegWrite(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", "22");
  const std::string pic = Temp() / "red.bmp";
  ASSERT_TRUE(MakeSolidPicture(pic, 800, 600, "bmp", 0xE02020));  // the screen's shape: Stretched
  WriteFileText(DefaultListPath(), Lines({pic}));
  Process vd = StartVd();
  DoubleClickListItem(ImgList(vd), 0);
  std::optional<Bitmap> bmp;
  ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 10000, 50));
  WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);
  for (POINT p : {POINT{0, 0}, POINT{512, 384}, POINT{1023, 767}})
    EXPECT_LE(ColourDistance(bmp->At(p.x, p.y), 0xE02020), 8) << p.x << "," << p.y << " is not black";
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle"), "2");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper"), "0");
  EXPECT_EQ(ControlText(MainWindow(vd), ids::lblStyle), "Stretched");
}

TEST_F(HardeningTest, RelaysWhileVdIsBusyAreWaitedForAndAppliedOnce) {
  FixedStyle(2);
  // This picture takes the worker seconds to decode; VD answers meanwhile.
  const std::string big = Temp() / "big.jpg";
  const auto t0 = Clock::now();
  ASSERT_TRUE(MakeLargeJpeg(big, 10000, 8000, 0x3060A0));
  std::cout << "[ busy    ] an 80-megapixel JPEG made in "
            << std::chrono::duration<double>(Clock::now() - t0).count() << " s\n";
  std::vector<std::string> pictures;
  for (int i = 0; i < 4; ++i) pictures.push_back(Picture("p" + std::to_string(i) + ".bmp"));
  WriteFileText(DefaultListPath(), Lines({big}));
  Process vd = StartVd();
  HWND main = MainWindow(vd);

  ClickListItem(ImgList(vd), 0);
  const bool busy = WaitUntil(
      [&] {
        DWORD_PTR r = 0;
        return ::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 300, &r) == 0;
      },
      3000, 10);
  EXPECT_FALSE(busy) << "VD stopped answering while a picture was decoded";
  const auto busySince = Clock::now();
  std::vector<std::thread> relays;
  std::vector<std::optional<DWORD>> codes(pictures.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    relays.emplace_back([&, i] {
      Process p = StartUtf8(PelorinExe(), "-i " + pictures[i], Temp().Path());
      p.WaitExit(60000);
      codes[i] = p.ExitCode();
    });
    ::Sleep(100);  // in this order
  }
  for (std::thread& t : relays) t.join();
  std::cout << "[ busy    ] relays ended "
            << std::chrono::duration<double>(Clock::now() - busySince).count() << " s after VD got busy\n";
  for (std::size_t i = 0; i < pictures.size(); ++i) EXPECT_EQ(codes[i], 0u) << "relay " << i << " was taken";
  EXPECT_TRUE(OthersEnded(vd.Pid()));
  // Relays from processes started together may arrive in any order.
  std::vector<std::string> shown = ListBoxItems(ImgList(vd));
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, (std::vector<std::string>{"big", "p0", "p1", "p2", "p3"})) << "each applied once";
  std::vector<std::string> saved;
  const std::string file = ReadFileText(DefaultListPath()).value_or("");
  for (std::size_t at = 0, end; (end = file.find("\r\n", at)) != std::string::npos; at = end + 2)
    saved.push_back(file.substr(at, end - at));
  std::sort(saved.begin(), saved.end());
  EXPECT_EQ(saved, (std::vector<std::string>{big, pictures[0], pictures[1], pictures[2], pictures[3]}));
  EXPECT_TRUE(vd.Running());
}

}  // namespace
}  // namespace e2e
