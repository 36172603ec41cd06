#include "engine/folder_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_file_system.h"

namespace vd {
namespace {

const std::string kPictures = ".bmp|.jpg|.jpeg|.gif";

TEST(FolderWalkTest, FilterMatchesFragmentsAnywhereIgnoringCase) {
  EXPECT_EQ(StripFilterStars("*.bmp|*.jpg"), ".bmp|.jpg");
  EXPECT_EQ(StripFilterStars("**.gif*"), ".gif");
  struct Case {
    const char* filter;
    const char* name;
    bool expected;
  };
  const Case cases[] = {
      {"", "anything", true},
      {".bmp|.jpg|.jpeg|.gif", "Photo.JPG", true},
      {".bmp|.jpg|.jpeg|.gif", "notes.jpg.txt", true},
      {".bmp|.jpg|.jpeg|.gif", "notes.txt", false},
      {".bmp|.jpg|.jpeg|.gif", "bmp", false},
      {".bmp||.gif", "notes.txt", true},  // empty fragment in the middle
      {".bmp|", "notes.txt", true},       // empty fragment at the end
      {"|.bmp", "notes.txt", false},      // a leading "|" adds none
      {"|.bmp", "A.BMP", true},
      {"||.bmp", "notes.txt", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesFilter(c.filter, c.name), c.expected) << c.filter << " / " << c.name;
}

class FolderWalkFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"C:\\Pics\\b.JPG", "C:\\Pics\\README", "C:\\Pics\\a.jpg", "C:\\Pics\\Zeta.gif",
                          "C:\\Pics\\notes.txt", "C:\\Pics\\Beta\\y.bmp", "C:\\Pics\\Alpha\\x.jpg",
                          "C:\\Pics\\Alpha\\Deep\\z.jpg", "C:\\Pics\\Locked\\l.jpg", "C:\\Pics\\Secret\\s.jpg",
                          "C:\\top.gif", "C:\\Sub\\sub.gif"})
      fs.AddFile(f);
    fs.AddFile("C:\\Pics\\hidden.jpg", attr::Hidden);
    fs.AddFile("C:\\Pics\\system.jpg", attr::System);
    fs.AddFolder("C:\\Pics\\Secret", attr::Directory | attr::Hidden);
    fs.MakeUnreadable("C:\\Pics\\Locked");
  }

  std::vector<ListEntry> Entries(const std::string& folder, bool recurse, const std::string& filter) {
    std::vector<ListEntry> got;
    WalkFolder(fs, folder, recurse, filter, [&](const ListEntry& e) { got.push_back(e); }, nullptr);
    return got;
  }
  std::vector<std::string> Walk(const std::string& folder, bool recurse, const std::string& filter) {
    std::vector<std::string> paths;
    for (const ListEntry& e : Entries(folder, recurse, filter)) paths.push_back(e.FullPath());
    return paths;
  }

  FakeFileSystem fs;
};

TEST_F(FolderWalkFixture, VisitsFoldersBreadthFirstWithFilesInNameOrder) {
  EXPECT_EQ(Walk("C:\\Pics", true, kPictures),
            (std::vector<std::string>{"C:\\Pics\\a.jpg", "C:\\Pics\\b.JPG", "C:\\Pics\\Zeta.gif",
                                      "C:\\Pics\\Alpha\\x.jpg", "C:\\Pics\\Beta\\y.bmp", "C:\\Pics\\Alpha\\Deep\\z.jpg"}));
  EXPECT_EQ(Walk("C:\\Pics", false, kPictures),
            (std::vector<std::string>{"C:\\Pics\\a.jpg", "C:\\Pics\\b.JPG", "C:\\Pics\\Zeta.gif"}));
  EXPECT_TRUE(Walk("C:\\Missing", true, "").empty());
}

TEST_F(FolderWalkFixture, SplitsNamesAtTheLastDotAndKeepsRootBackslashes) {
  const auto got = Entries("C:\\Pics", false, "");
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[1].dir, "C:\\Pics\\");
  EXPECT_EQ(got[1].name, "b");
  EXPECT_EQ(got[1].ext, ".JPG");
  EXPECT_EQ(got[3].name, "README");
  EXPECT_EQ(got[3].ext, "");

  const auto root = Entries("C:\\", true, "top|sub");
  ASSERT_EQ(root.size(), 2u);
  EXPECT_EQ(root[0].dir, "C:\\\\");
  EXPECT_EQ(root[1].dir, "C:\\Sub\\");
}

TEST(FolderWalkTest, FolderLinksAndJunctionsAreNotFollowed) {
  FakeFileSystem fs;
  fs.AddFile("C:\\Pics\\a.jpg");
  fs.AddFile("C:\\Pics\\Real\\b.jpg");
  // A link back up the tree, as "mklink /d Loop .." or a junction makes it.
  fs.AddFolder("C:\\Pics\\Loop", attr::Directory | attr::ReparsePoint);
  fs.AddFile("C:\\Pics\\Loop\\a.jpg");
  fs.AddFile("C:\\Pics\\Real\\Junction\\c.jpg");
  fs.AddFolder("C:\\Pics\\Real\\Junction", attr::Directory | attr::ReparsePoint);
  // A linked file is a file like any other.
  fs.AddFile("C:\\Pics\\linked.jpg", attr::Archive | attr::ReparsePoint);
  std::vector<std::string> got;
  WalkFolder(fs, "C:\\Pics", true, ".jpg", [&](const ListEntry& e) { got.push_back(e.FullPath()); }, nullptr);
  EXPECT_EQ(got, (std::vector<std::string>{"C:\\Pics\\a.jpg", "C:\\Pics\\linked.jpg", "C:\\Pics\\Real\\b.jpg"}));
  // A link chosen as the folder itself is listed.
  got.clear();
  WalkFolder(fs, "C:\\Pics\\Loop", true, "", [&](const ListEntry& e) { got.push_back(e.FullPath()); }, nullptr);
  EXPECT_EQ(got, std::vector<std::string>{"C:\\Pics\\Loop\\a.jpg"});
}

// Links the system does not mark: folders that are one folder under two names.
class AliasedFileSystem : public FakeFileSystem {
 public:
  std::optional<std::string> FolderIdentity(const std::string& folder) override {
    ++asked;
    if (folder == "C:\\Pics" || folder == "C:\\Pics\\Back" || folder == "C:\\Pics\\Deep\\Up") return "pics";
    return folder;
  }
  int asked = 0;
};

TEST(FolderWalkTest, EveryFolderIsWalkedOnceHoweverItIsReached) {
  AliasedFileSystem fs;
  fs.AddFile("C:\\Pics\\a.jpg");
  fs.AddFile("C:\\Pics\\Back\\a.jpg");  // what the link shows: the same a.jpg
  fs.AddFile("C:\\Pics\\Deep\\b.jpg");
  fs.AddFile("C:\\Pics\\Deep\\Up\\a.jpg");
  fs.AddFolder("C:\\Pics\\Deep\\Up\\Back");
  std::vector<std::string> got;
  WalkFolder(fs, "C:\\Pics", true, "", [&](const ListEntry& e) { got.push_back(e.FullPath()); }, nullptr);
  EXPECT_EQ(got, (std::vector<std::string>{"C:\\Pics\\a.jpg", "C:\\Pics\\Deep\\b.jpg"}));
  // Without subfolders nothing needs telling apart.
  fs.asked = 0;
  WalkFolder(fs, "C:\\Pics", false, "", [](const ListEntry&) {}, nullptr);
  EXPECT_EQ(fs.asked, 0);
}

TEST(FolderWalkTest, HugeFolderYieldsPerFolderAndEveryFewHundredFiles) {
  FakeFileSystem fs;
  const int files = 100000;
  for (int i = files; i > 0; --i) fs.AddFile("D:\\Big\\img" + std::to_string(i) + ".jpg");
  int matched = 0, yields = 0;
  std::string first;
  WalkFolder(fs, "D:\\Big", true, ".JPG", [&](const ListEntry& e) {
    if (matched++ == 0) first = e.name;
  }, [&] { ++yields; });
  EXPECT_EQ(matched, files);
  EXPECT_EQ(first, "img1");
  EXPECT_EQ(yields, 1 + files / 256);
}

TEST(FolderWalkTest, AdditionTakesDecodedPicturesAndCountsWhatItPassesOver) {
  FakeFileSystem fs;
  for (const char* f : {"C:\\Fotos\\a.jpg", "C:\\Fotos\\b.webp", "C:\\Fotos\\notes.txt", "C:\\Fotos\\c.jpg.txt",
                        "C:\\Fotos\\Phone\\d.HEIC", "C:\\Fotos\\Phone\\e.WebP", "C:\\Fotos\\Phone\\f.gif"})
    fs.AddFile(f);
  fs.AddFile("C:\\Fotos\\hidden.webp", attr::Hidden);
  std::vector<std::string> added;
  SkippedFiles skipped;
  WalkPictures(fs, "C:\\Fotos", true, kPictures, [&](const ListEntry& e) { added.push_back(e.FullPath()); }, skipped,
               nullptr);
  EXPECT_EQ(added, (std::vector<std::string>{"C:\\Fotos\\a.jpg", "C:\\Fotos\\Phone\\f.gif"}));
  // notes.txt was never asked for; "c.jpg.txt" passed the filter but is no picture.
  EXPECT_EQ(skipped.Message(),
            "2 files skipped: no decoder for .webp on this system\r\n"
            "1 file skipped: no decoder for .heic on this system\r\n"
            "1 file skipped: not a picture");

  // Without subfolders, and a filter that names one kind only.
  added.clear();
  SkippedFiles top;
  WalkPictures(fs, "C:\\Fotos", false, ".gif", [&](const ListEntry& e) { added.push_back(e.FullPath()); }, top,
               nullptr);
  EXPECT_TRUE(added.empty());
  EXPECT_EQ(top.Message(), "1 file skipped: no decoder for .webp on this system");
}

}  // namespace
}  // namespace vd
