#include "engine/file_dialog_names.h"

#include <gtest/gtest.h>

#include "engine/wallpaper_list.h"

namespace vd {
namespace {

using namespace std::string_literals;

TEST(FileDialogNamesTest, ListFilesEndInVdlWhateverTheUserTyped) {
  EXPECT_EQ(WithListFileExtension("C:\\Lists\\summer"), "C:\\Lists\\summer.vdl");
  EXPECT_EQ(WithListFileExtension("C:\\Lists\\summer.vdl"), "C:\\Lists\\summer.vdl");
  EXPECT_EQ(WithListFileExtension("C:\\Lists\\Summer.VDL"), "C:\\Lists\\Summer.VDL");
  EXPECT_EQ(WithListFileExtension("C:\\Lists\\summer.Vdl"), "C:\\Lists\\summer.Vdl");
  EXPECT_EQ(WithListFileExtension("C:\\Lists\\summer.txt"), "C:\\Lists\\summer.txt.vdl");
  EXPECT_EQ(WithListFileExtension("C:\\my.lists\\summer"), "C:\\my.lists\\summer.vdl") << "a dot in the folder";
  EXPECT_EQ(WithListFileExtension("C:\\Lists\\summer.vdl.bak"), "C:\\Lists\\summer.vdl.bak.vdl");
  EXPECT_EQ(WithListFileExtension("C:\\Lists\\.vdl"), "C:\\Lists\\.vdl");
}

TEST(FileDialogNamesTest, OnePickedFileIsItsFullPath) {
  EXPECT_EQ(PathsOfDialogSelection("C:\\Pics\\a b.jpg\0\0"s), (std::vector<std::string>{"C:\\Pics\\a b.jpg"}));
  EXPECT_EQ(PathsOfDialogSelection("C:\\Pics\\a.jpg"), (std::vector<std::string>{"C:\\Pics\\a.jpg"})) << "no NUL at all";
  EXPECT_TRUE(PathsOfDialogSelection("\0\0"s).empty());
  EXPECT_TRUE(PathsOfDialogSelection("").empty());
}

TEST(FileDialogNamesTest, SeveralPickedFilesAreJoinedToTheirFolderInOrder) {
  EXPECT_EQ(PathsOfDialogSelection("C:\\My Pics\0b.gif\0a.jpg\0c.bmp\0\0"s),
            (std::vector<std::string>{"C:\\My Pics\\b.gif", "C:\\My Pics\\a.jpg", "C:\\My Pics\\c.bmp"}));
  EXPECT_EQ(PathsOfDialogSelection("C:\\\0a.jpg\0b.jpg\0\0"s),
            (std::vector<std::string>{"C:\\a.jpg", "C:\\b.jpg"}))
      << "a drive root already ends in a backslash";
}

TEST(FileDialogNamesTest, PicturesOfEveryKindTheSystemReadsAreOfferedAndListed) {
  EXPECT_EQ(PictureDialogFilter(PictureExtensions()),
            "All supported Images\0*.bmp;*.jpeg;*.jpg;*.gif;*.png;*.tif;*.tiff\0"s);
  EXPECT_TRUE(IsListedImageExtension(".PNG"));
  EXPECT_TRUE(IsListedImageExtension(".Tiff"));
  EXPECT_FALSE(IsListedImageExtension(".webp"));

  // What the codecs add; names that are no plain extension are left out.
  SetSystemPictureExtensions({".WebP", ".heic", ".png", "*.x", ".a;b", "jxr", ".", ".avif"});
  EXPECT_EQ(PictureFolderFilter(PictureExtensions()), ".bmp|.jpeg|.jpg|.gif|.png|.tif|.tiff|.webp|.heic|.avif");
  EXPECT_TRUE(IsListedImageExtension(".WEBP"));
  EXPECT_FALSE(IsListedImageExtension(".x"));
  EXPECT_FALSE(IsListedImageExtension(".txt"));
  SetSystemPictureExtensions({});
  EXPECT_FALSE(IsListedImageExtension(".webp"));
}

}  // namespace
}  // namespace vd
