#include "engine/paths.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"

namespace vd {
namespace {

TEST(PathsTest, SplitPathGivesFolderNameAndExtension) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* ext;
  };
  const Case cases[] = {
      {"C:\\Pics\\holiday.photo.JPG", "C:\\Pics\\", "holiday.photo", ".JPG"},
      {"C:\\Pics.old\\readme", "C:\\Pics.old\\", "readme", ".old\\readme"},  // dot only in the folder
      {"C:\\\\a.jpg", "C:\\\\", "a", ".jpg"},
      {"C:\\Pics\\", "C:\\Pics\\", "", "C:\\Pics\\"},
      {"readme", "", "readme", "readme"},
      {".jpg", "", "", ".jpg"},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(SplitPath(c.path, 1), c.folder);
    EXPECT_EQ(SplitPath(c.path, 2), c.name);
    EXPECT_EQ(SplitPath(c.path, 3), c.ext);
    EXPECT_EQ(SplitPath(c.path, 0), c.ext);
  }
}

class GetLongPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.AddFolder("C:\\Program Files", attr::Directory, "PROGRA~1");
    fs.AddFolder("C:\\Program Files\\Common Files", attr::Directory, "COMMON~1");
    fs.AddFile("C:\\Program Files\\Common Files\\Shared Thing.dll", attr::Archive, "SHARED~1.DLL");
    fs.AddFolder("C:\\Hidden Stuff", attr::Hidden | attr::System, "HIDDEN~1");
  }
  FakeFileSystem fs;
};

TEST_F(GetLongPathTest, SpellsEveryComponentAsOnDisk) {
  EXPECT_EQ(GetLongPath(fs, "C:\\PROGRA~1\\"), "C:\\Program Files");
  EXPECT_EQ(GetLongPath(fs, "c:\\progra~1\\COMMON~1\\shared~1.dll"), "c:\\Program Files\\Common Files\\Shared Thing.dll");
  EXPECT_EQ(GetLongPath(fs, "C:\\HIDDEN~1"), "C:\\Hidden Stuff");
  EXPECT_EQ(GetLongPath(fs, "C:\\"), "C:");
}

TEST_F(GetLongPathTest, DotsAreResolvedAsTheSystemDoesBeforeTheLookup) {
  fs.AddFile("C:\\x\\lists\\a.vdl");
  EXPECT_EQ(GetLongPath(fs, "C:\\x\\lists\\.\\a.vdl"), "C:\\x\\lists\\a.vdl");
  EXPECT_EQ(GetLongPath(fs, "C:\\x\\.\\.\\lists\\.\\"), "C:\\x\\lists");
  EXPECT_EQ(GetLongPath(fs, "C:\\x\\lists\\..\\lists\\a.vdl"), "C:\\x\\lists\\a.vdl");
  EXPECT_EQ(GetLongPath(fs, "C:\\x\\Missing\\..\\lists\\a.vdl"), "C:\\x\\lists\\a.vdl");  // not looked up
  EXPECT_EQ(GetLongPath(fs, "C:\\..\\..\\PROGRA~1\\COMMON~1\\.."), "C:\\Program Files");  // stops at the root
  EXPECT_EQ(GetLongPath(fs, "C:\\x\\.."), "C:");
  EXPECT_EQ(GetLongPath(fs, "C:\\x\\...\\lists"), "");
  EXPECT_EQ(GetLongPath(fs, "C:\\x\\lists\\a.vdl\\..\\a.vdl"), "C:\\x\\lists\\a.vdl");
}

TEST_F(GetLongPathTest, ForwardSlashesAreSeparators) {
  EXPECT_EQ(GetLongPath(fs, "C:/PROGRA~1/common~1"), "C:\\Program Files\\Common Files");
}

// Counts the look-ups a spelling makes.
class CountingFileSystem : public FakeFileSystem {
 public:
  ItemLookup LookUp(const std::string& path) override {
    ++lookUps;
    return FakeFileSystem::LookUp(path);
  }
  int lookUps = 0;
};

TEST(ListPathSpellerTest, SpellsAsOnDiskAndDropsOnlyWhatIsReallyGone) {
  CountingFileSystem fs;
  fs.AddFolder("C:\\Program Files", attr::Directory, "PROGRA~1");
  fs.AddFile("C:\\Program Files\\Pics\\Sunset.jpg", attr::Archive, "SUNSET~1.JPG");
  fs.AddFile("C:\\Program Files\\Pics\\held.jpg");
  fs.AddFile("C:\\Program Files\\Pics\\hidden.jpg", attr::Hidden);
  fs.AddFile("C:\\Program Files\\Pics\\Deep\\x.jpg");
  fs.MakeLocked("C:\\Program Files\\Pics\\held.jpg");
  fs.MakeUnanswerable("C:\\Program Files\\Pics\\Shut");
  fs.MakeUnanswerable("C:\\Program Files\\Pics\\Shut\\In.JPG");
  ListPathSpeller speller(fs);
  const std::pair<const char*, const char*> cases[] = {
      {"c:\\progra~1\\PICS\\sunset~1.jpg", "C:\\Program Files\\Pics\\Sunset.jpg"},
      {"c:/program files/pics/SUNSET.JPG", "C:\\Program Files\\Pics\\Sunset.jpg"},
      {"C:\\\\Program Files\\.\\Pics\\Deep\\..\\\\Sunset.jpg", "C:\\Program Files\\Pics\\Sunset.jpg"},
      {"C:\\Program Files\\Pics\\held.jpg", "C:\\Program Files\\Pics\\held.jpg"},  // locked, still there
      {"C:\\PROGRA~1\\Pics\\Shut\\In.JPG", "C:\\Program Files\\Pics\\Shut\\In.JPG"},  // cannot be told: kept as written
      {"C:\\Program Files\\Pics\\missing.jpg", nullptr},
      {"C:\\Program Files\\Gone\\x.jpg", nullptr},
      {"C:\\Program Files\\Pics\\hidden.jpg", nullptr},
      {"C:\\Program Files\\Pics\\Deep", nullptr},                   // a folder
      {"C:\\Program Files\\Pics\\Sunset.jpg\\x.jpg", nullptr},     // a file used as a folder
      {"C:\\Program Files\\Pics\\*.jpg", nullptr},
      {"C:\\", nullptr},
      {"\\\\server\\share\\x.jpg", nullptr},  // not a drive path: today's check, which finds nothing here
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    const std::optional<std::string> got = speller.Spell(in);
    if (out) {
      EXPECT_EQ(got, std::optional<std::string>(out));
    } else {
      EXPECT_EQ(got, std::nullopt);
    }
  }
  // Folders are looked up once: more pictures of a known folder cost one look-up each.
  fs.lookUps = 0;
  for (int i = 0; i < 5; ++i) speller.Spell("C:\\Program Files\\Pics\\Sunset.jpg");
  EXPECT_EQ(fs.lookUps, 5);
}

TEST(PathsTest, ScratchNamesAreBesideTheTargetAndNoLonger) {
  EXPECT_EQ(ScratchPathBeside("C:\\Temp\\VDesk.ini", '~', '_'), "C:\\Temp\\~Desk.ini");
  EXPECT_EQ(ScratchPathBeside("C:\\Temp\\~Desk.ini", '~', '_'), "C:\\Temp\\_Desk.ini");
  EXPECT_EQ(ScratchPathBeside("C:\\a", '#', '$'), "C:\\#");
  EXPECT_EQ(ScratchPathBeside("C:\\Temp\\", '~', '_'), "");
  const std::string longest = "C:\\" + std::string(240, 'd') + "\\Vexa Desktop.bmp";
  EXPECT_EQ(ScratchPathBeside(longest, '~', '_').size(), longest.size());
}

TEST_F(GetLongPathTest, MissingOrMalformedPathsGiveEmptyText) {
  const char* inputs[] = {
      "", "C:", "\\", "\\\\", "x", "\\\\server\\share\\x", "D:\\", "C:Program Files",
      "C:\\PROGRA~1\\Missing", "C:\\Missing\\COMMON~1",
      "C:\\PROGRA~1\\\\COMMON~1",                     // empty component
      "C:\\PROGRA~1\\COMMON~1\\SHARED~1.DLL\\inside",  // a file used as a folder
      "\"C:\\PROGRA~1\"", "C:\\PROG*", "C:\\PROGRA~?", "C:\\a:b",
  };
  for (const char* in : inputs) EXPECT_EQ(GetLongPath(fs, in), "") << in;
}

}  // namespace
}  // namespace vd
