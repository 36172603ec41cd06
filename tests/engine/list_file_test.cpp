#include "engine/list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_file_system.h"

namespace vd {
namespace {

std::string NoLegacy(std::string_view) {
  ADD_FAILURE() << "decoded a valid UTF-8 line";
  return "";
}

TEST(ListFileTest, AcceptsEveryLineEndAndSkipsEmptyLines) {
  const std::string bytes = "\xEF\xBB\xBF" "C:\\a.jpg\r\nC:\\b.jpg\rC:\\c.jpg\n\r\n\r\rC:\\d.jpg";
  EXPECT_EQ(SplitListLines(bytes, NoLegacy),
            (std::vector<std::string>{"C:\\a.jpg", "C:\\b.jpg", "C:\\c.jpg", "C:\\d.jpg"}));
}

TEST(ListFileTest, OnlyLinesThatAreNotUtf8AreDecodedFromTheLegacyCodePage) {
  std::vector<std::string> decoded;
  auto legacy = [&](std::string_view line) {
    decoded.emplace_back(line);
    return std::string("legacy");
  };
  const std::string utf8 = "C:\\Caf\xC3\xA9\\\xF0\x9F\x8C\x85.jpg";
  const std::string latin1 = "C:\\Caf\xE9.jpg";
  const auto lines = SplitListLines(utf8 + "\r\n" + latin1 + "\r\n", legacy);
  EXPECT_EQ(lines, (std::vector<std::string>{utf8, "legacy"}));
  EXPECT_EQ(decoded, std::vector<std::string>{latin1});
}

TEST(ListFileTest, RejectsMalformedUtf8) {
  const char* bad[] = {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\xE2\x82", "\x80", "\xFF"};
  for (const char* b : bad) EXPECT_FALSE(IsValidUtf8(b)) << ::testing::PrintToString(b);
  EXPECT_TRUE(IsValidUtf8("\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xF4\x8F\xBF\xBF"));
}

TEST(ListFileTest, SavedListReadsBackAsTheSameEntries) {
  const std::vector<ListEntry> entries = {{"C:\\Pics\\", "holiday.photo", ".JPG"}, {"D:\\\\", "x", ".gif"}};
  const std::string bytes = SerializeList(entries);
  EXPECT_EQ(bytes, "C:\\Pics\\holiday.photo.JPG\r\nD:\\\\x.gif\r\n");
  EXPECT_EQ(SplitListLines(bytes, NoLegacy), (std::vector<std::string>{"C:\\Pics\\holiday.photo.JPG", "D:\\\\x.gif"}));
  EXPECT_EQ(SerializeList({}), "");
}

// A file system that, like the system calls, sees a path only up to its first NUL.
class CStringFileSystem : public FakeFileSystem {
 public:
  std::optional<std::uint32_t> Attributes(const std::string& path) override {
    return FakeFileSystem::Attributes(path.c_str());
  }
};

TEST(ListFileTest, KeepsOnlyExistingNormalFilesWithImageExtensions) {
  CStringFileSystem fs;
  for (const char* f : {"C:\\Pics\\holiday.photo.JPG", "C:\\Pics\\b.jpeg", "C:\\Pics\\notes.txt", "C:\\Pics.old\\readme",
                        "C:\\Pics\\c.Gif", "C:\\Pics\\d.bmp"})
    fs.AddFile(f);
  fs.AddFile("C:\\Pics\\hidden.jpg", attr::Hidden);
  fs.AddFile("C:\\Pics\\system.bmp", attr::System);
  fs.AddFolder("C:\\Pics\\folder.jpg");

  const std::vector<std::string> lines = {
      "C:\\Pics\\holiday.photo.JPG", "C:\\Pics\\missing.jpg", "C:\\Pics\\notes.txt", "C:\\Pics.old\\readme",
      "C:\\Pics\\hidden.jpg",        "C:\\Pics\\system.bmp",  "C:\\Pics\\folder.jpg", std::string("C:\\Pics\\d.bmp\0.jpg", 19),
      "C:\\Pics\\b.jpeg",            "c:\\pics\\C.GIF",       "C:\\Pics\\b.jpeg",
  };
  std::vector<ListEntry> got;
  FilterListLines(lines, fs, [&](ListEntry e) { got.push_back(std::move(e)); }, nullptr);

  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].dir, "C:\\Pics\\");
  EXPECT_EQ(got[0].name, "holiday.photo");
  EXPECT_EQ(got[0].ext, ".JPG");
  EXPECT_EQ(got[1].FullPath(), "C:\\Pics\\b.jpeg");
  EXPECT_EQ(got[2].FullPath(), "C:\\Pics\\c.Gif");  // spelled as on disk
  EXPECT_EQ(got[3].FullPath(), "C:\\Pics\\b.jpeg");  // duplicates stay
}

TEST(ListFileTest, OtherSpellingsAndLockedFilesLoadInTheListsOwnForm) {
  FakeFileSystem fs;
  for (const char* f : {"C:\\Pics\\P5.jpg", "C:\\Pics\\p6.jpg", "C:\\Pics\\n\\caf\xC3\xA9.jpg", "C:\\Pics\\p4.jpg",
                        "C:\\Pics\\held.jpg"})
    fs.AddFile(f);
  fs.MakeLocked("C:\\Pics\\held.jpg");
  const std::vector<std::string> lines = {
      "C:\\PICS\\P5.JPG", "c:/pics/p6.jpg", "C:\\pics\\.\\n\\.\\caf\xC3\xA9.jpg", "C:\\pics\\p3.jpg\\..\\p4.jpg",
      "C:\\Pics\\held.jpg", "C:\\Pics\\\\p4.jpg", "C:\\Pics\\p3.jpg", "C:\\Gone\\..\\Pics\\..\\..\\Pics\\p6.jpg",
  };
  std::vector<std::string> got;
  FilterListLines(lines, fs, [&](ListEntry e) { got.push_back(e.FullPath()); }, nullptr);
  EXPECT_EQ(got, (std::vector<std::string>{"C:\\Pics\\P5.jpg", "C:\\Pics\\p6.jpg", "C:\\Pics\\n\\caf\xC3\xA9.jpg",
                                           "C:\\Pics\\p4.jpg", "C:\\Pics\\held.jpg", "C:\\Pics\\p4.jpg",
                                           "C:\\Pics\\p6.jpg"}));
}

TEST(ListFileTest, LongLoadsYieldEveryFewHundredLines) {
  FakeFileSystem fs;
  fs.AddFile("C:\\a.jpg");
  const std::vector<std::string> lines(1000, "C:\\a.jpg");
  int appended = 0, yields = 0;
  FilterListLines(lines, fs, [&](ListEntry) { ++appended; }, [&] { ++yields; });
  EXPECT_EQ(appended, 1000);
  EXPECT_EQ(yields, 3);
}

TEST(ListFileTest, GarbageAndHugeLinesLoadNothing) {
  std::string garbage;
  for (int i = 0; i < (1 << 20); ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
  const std::string hugeLine = "C:\\" + std::string(1 << 20, 'x') + ".jpg";
  FakeFileSystem fs;
  auto lines = SplitListLines(garbage, [](std::string_view s) { return std::string(s); });
  lines.push_back(hugeLine);
  EXPECT_EQ(SplitListLines(hugeLine, NoLegacy).size(), 1u);
  int appended = 0;
  FilterListLines(lines, fs, [&](ListEntry) { ++appended; }, [] {});
  EXPECT_EQ(appended, 0);
}

// A folder renamed for a moment, a drive unplugged, a share offline: their
// entries wait in the list; only a file missing from a folder that is there
// is gone. Picture kinds without a decoder load; what is no picture does not.
TEST(ListFileTest, EntriesWhoseFolderOrDriveIsAwayStayAndOnlyGoneFilesLeave) {
  FakeFileSystem fs;
  for (const char* f : {"C:\\Pics\\b2.bmp", "C:\\Pics\\x.webp", "C:\\vanish2\\j1.jpg", "C:\\Pics\\notes.txt"})
    fs.AddFile(f);
  fs.AddFolder("C:\\Pics\\Empty");
  const std::vector<std::string> lines = {
      "C:\\vanish\\j1.jpg",       // its folder renamed away
      "C:/vanish/g1.gif",         // the same, written with slashes
      "C:\\Pics\\b2.bmp",         // there
      "C:\\Pics\\gone.jpg",       // folder there, file not
      "C:\\Pics\\Empty\\e.png",   // the same one level down
      "E:\\Stick\\s.jpg",         // a drive that is not plugged in
      "\\\\nas\\photos\\n.jpg",   // a share that is offline
      "C:\\Pics\\x.webp",         // no decoder here, kept all the same
      "C:\\vanish\\notes.txt",    // away, but no picture
      "C:\\Pics\\notes.txt",      // there, but no picture
      "vanish\\rel.jpg",          // not a full path: nothing to wait for
      "C:\\Pics\\b2.bmp\\x.jpg",  // its "folder" is a file
  };
  std::vector<std::string> got;
  FilterListLines(lines, fs, [&](ListEntry e) { got.push_back(e.FullPath()); }, nullptr);
  EXPECT_EQ(got, (std::vector<std::string>{"C:\\vanish\\j1.jpg", "C:\\vanish\\g1.gif", "C:\\Pics\\b2.bmp",
                                           "E:\\Stick\\s.jpg", "\\\\nas\\photos\\n.jpg", "C:\\Pics\\x.webp"}));

  // A change asks the same question of one entry at a time.
  EXPECT_FALSE(EntryGone(fs, "C:\\vanish\\j1.jpg"));
  EXPECT_FALSE(EntryGone(fs, "E:\\Stick\\s.jpg"));
  EXPECT_FALSE(EntryGone(fs, "C:\\Pics\\b2.bmp"));
  EXPECT_TRUE(EntryGone(fs, "C:\\Pics\\gone.jpg"));
  EXPECT_TRUE(EntryGone(fs, "C:\\gone.jpg")) << "a drive root is a folder that is there";
  fs.AddFile("C:\\Pics\\hidden.jpg", attr::Hidden);
  fs.AddFolder("C:\\Pics\\folder.jpg");
  EXPECT_TRUE(EntryGone(fs, "C:\\Pics\\hidden.jpg"));
  EXPECT_TRUE(EntryGone(fs, "C:\\Pics\\folder.jpg"));
  // Back under its old name: the entry is there again, spelled as on disk.
  fs.AddFile("C:\\Vanish\\J1.jpg");
  ListPathSpeller speller(fs);
  const EntryCheck back = CheckEntry(speller, fs, "C:\\vanish\\j1.jpg");
  EXPECT_EQ(back.presence, EntryPresence::There);
  EXPECT_EQ(back.path, "C:\\Vanish\\J1.jpg");
}

}  // namespace
}  // namespace vd
