#include "engine/dropped_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_file_system.h"

namespace vd {
namespace {

std::vector<std::string> Paths(const std::vector<ListEntry>& entries) {
  std::vector<std::string> paths;
  for (const ListEntry& e : entries) paths.push_back(e.FullPath());
  return paths;
}

// A drop as Explorer hands it over: pictures, folders, lists and other files
// mixed, in the user's order; each goes where its kind belongs.
TEST(DroppedFilesTest, SortsADropByKindKeepingTheOrderAndCountingWhatIsSkipped) {
  FakeFileSystem fs;
  fs.AddFile("C:\\Pics\\Holiday.JPG");
  fs.AddFile("C:\\Pics\\b.gif");
  fs.AddFile("C:\\Pics\\notes.txt");
  fs.AddFile("C:\\Pics\\readme");
  fs.AddFile("C:\\Pics\\scan.webp");  // no codec for it here
  fs.AddFile("C:\\Pics\\hidden.jpg", attr::Hidden);
  fs.AddFile("C:\\Lists\\Summer.VDL");
  fs.AddFile("C:\\Lists\\hidden.vdl", attr::Hidden);
  fs.AddFolder("C:\\Pics\\Album");
  fs.AddFolder("C:\\Pics\\folder.jpg");  // a folder named like a picture is a folder

  const DroppedItems items =
      SortDroppedFiles(fs, {"c:\\pics\\holiday.jpg", "C:\\Pics\\notes.txt", "C:\\Pics\\Album", "C:\\Lists\\Summer.VDL",
                            "C:\\Pics\\gone.jpg", "C:\\Pics\\hidden.jpg", "C:\\Pics\\scan.webp", "C:\\Pics\\b.gif",
                            "C:\\Pics\\folder.jpg", "C:\\Lists\\hidden.vdl", "", "C:\\Pics\\readme"});

  // Spelled as on disk, as Add File keeps them.
  EXPECT_EQ(Paths(items.pictures), (std::vector<std::string>{"C:\\Pics\\Holiday.JPG", "C:\\Pics\\b.gif"}));
  EXPECT_EQ(items.folders, (std::vector<std::string>{"C:\\Pics\\Album", "C:\\Pics\\folder.jpg"}));
  EXPECT_EQ(items.lists, (std::vector<std::string>{"C:\\Lists\\Summer.VDL"}));
  // The text file and the file without extension are no pictures; the WebP
  // has no decoder. Gone and hidden files are passed over without a word.
  EXPECT_EQ(items.skipped.Count(), 3);
  EXPECT_EQ(items.skipped.Message(),
            "1 file skipped: no decoder for .webp on this system\r\n2 files skipped: not a picture");
}

// 10,000 files at once: one sorting, one message for all of them; and a path
// too long for the file functions is counted, never cut short to another
// file's name.
TEST(DroppedFilesTest, TooLongPathsAreSkippedWholeAndAHugeDropGivesOneMessage) {
  FakeFileSystem fs;
  std::vector<std::string> dropped;
  for (int i = 0; i < 10000; ++i) {
    const std::string name = "D:\\Many\\p" + std::to_string(i) + (i % 2 == 0 ? ".jpg" : ".doc");
    fs.AddFile(name);
    dropped.push_back(name);
  }
  // 259 UTF-16 units fit; the one with a further character does not, and its
  // first 259 characters name a picture that exists.
  const std::string folder = "D:\\" + std::string(240, 'a');
  const std::string fits = folder + "\\" + std::string(259 - folder.size() - 5, 'b') + ".jpg";
  ASSERT_EQ(fits.size(), 259u);
  const std::string tooLong = fits + "x.jpg";
  fs.AddFile(fits);
  fs.AddFile(tooLong);
  dropped.push_back(fits);
  dropped.push_back(tooLong);
  // Non-ASCII characters count as the system counts them: "é" is one unit
  // (two bytes), so this path fits though it has more than 259 bytes.
  std::string accented = folder + "\\";
  while (Utf16Length(accented) < 259 - 4) accented += "\xC3\xA9";
  accented += ".gif";
  ASSERT_GT(accented.size(), 259u);
  ASSERT_EQ(Utf16Length(accented), 259u);
  fs.AddFile(accented);
  dropped.push_back(accented);

  const DroppedItems items = SortDroppedFiles(fs, dropped);
  ASSERT_EQ(items.pictures.size(), 5002u);
  EXPECT_EQ(items.pictures[5000].FullPath(), fits);
  EXPECT_EQ(items.pictures[5001].FullPath(), accented);
  EXPECT_EQ(items.skipped.Count(), 5001);
  EXPECT_EQ(items.skipped.Message(),
            "5000 files skipped: not a picture\r\n1 file skipped: path longer than 259 characters");
  EXPECT_EQ(Utf16Length("\xF0\x9F\x93\xB7"), 2u);  // outside the basic plane: a surrogate pair
}

TEST(DroppedFilesTest, ListFilesAreKnownByTheirExtensionInAnyCase) {
  EXPECT_TRUE(IsListFileName("C:\\a\\b.vdl"));
  EXPECT_TRUE(IsListFileName("C:\\a\\B.VdL"));
  EXPECT_FALSE(IsListFileName("C:\\a.vdl\\b"));
  EXPECT_FALSE(IsListFileName("C:\\a\\b.vdlx"));
  EXPECT_FALSE(IsListFileName("C:\\a\\vdl"));
}

}  // namespace
}  // namespace vd
