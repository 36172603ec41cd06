#include "engine/watched_folders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wallpaper_model.h"
#include "engine/list_file.h"
#include "fake_file_system.h"

namespace vd {
namespace {

std::vector<std::string> Paths(const std::vector<ListEntry>& entries) {
  std::vector<std::string> out;
  for (const ListEntry& e : entries) out.push_back(e.FullPath());
  return out;
}

// A list written by this version, read back by it and by a reader that
// knows nothing of watched folders.
TEST(WatchedFoldersTest, ListLinesRoundTripAndOlderReadersKeepTheOtherEntries) {
  WatchList watch;
  EXPECT_TRUE(watch.Watch({"C:\\Pics\\", false}));
  EXPECT_TRUE(watch.Watch({"D:\\Unplugged", true}));  // need not exist
  EXPECT_TRUE(watch.Watch({"\\\\server\\share\\photos", false}));
  EXPECT_TRUE(watch.Exclude("C:\\Pics\\ugly.jpg"));
  EXPECT_FALSE(watch.Exclude("C:\\Pics\\ugly.JPG"));        // once
  EXPECT_FALSE(watch.Exclude("C:\\Pics\\sub\\deep.jpg"));   // not in a folder watched without subfolders
  EXPECT_TRUE(watch.Exclude("D:\\Unplugged\\a\\b\\c.png"));
  EXPECT_FALSE(watch.Exclude("E:\\elsewhere.jpg"));

  const std::string text = "C:\\Pics\\keep.jpg\r\n" + watch.Serialize() + "C:\\Pics\\also.gif\r\n";
  EXPECT_EQ(watch.Serialize(),
            "C:\\Pics\\*\r\nD:\\Unplugged\\**\r\n\\\\server\\share\\photos\\*\r\n"
            "-C:\\Pics\\ugly.jpg\r\n-D:\\Unplugged\\a\\b\\c.png\r\n");

  const std::vector<std::string> lines = SplitListLines(text, nullptr);
  const WatchList back = WatchList::FromLines(lines);
  ASSERT_EQ(back.Folders().size(), 3u);
  EXPECT_EQ(back.Folders()[0].folder, "C:\\Pics");
  EXPECT_FALSE(back.Folders()[0].subfolders);
  EXPECT_EQ(back.Folders()[1].folder, "D:\\Unplugged");
  EXPECT_TRUE(back.Folders()[1].subfolders);
  EXPECT_TRUE(back.IsExcluded("c:\\pics\\UGLY.jpg"));
  EXPECT_TRUE(back.IsExcluded("D:\\Unplugged\\a\\b\\c.png"));
  EXPECT_EQ(back.Serialize(), watch.Serialize());

  // The entry rules of every version take none of the new lines, even with
  // the excluded picture and the folders there, and keep the rest in order.
  FakeFileSystem fs;
  for (const char* f : {"C:\\Pics\\keep.jpg", "C:\\Pics\\also.gif", "C:\\Pics\\ugly.jpg"}) fs.AddFile(f);
  std::vector<std::string> kept;
  FilterListLines(lines, fs, [&](ListEntry e) { kept.push_back(e.FullPath()); }, nullptr);
  EXPECT_EQ(kept, (std::vector<std::string>{"C:\\Pics\\keep.jpg", "C:\\Pics\\also.gif"}));

  // Lines that only look like the new ones are not taken for them.
  for (const char* line : {"Pics\\*", "C:\\Pics\\*.jpg", "C:\\a*b\\*", "C:\\Pics\\***", "C:\\Pics\\x.jpg"})
    EXPECT_FALSE(ParseWatchLine(line)) << line;
  for (const char* line : {"-relative.jpg", "-", "C:\\x.jpg", "--C:\\x.jpg"}) EXPECT_FALSE(ParseExclusionLine(line)) << line;
  ASSERT_TRUE(ParseWatchLine("C:\\*"));
  EXPECT_EQ(ParseWatchLine("C:\\*")->folder, "C:\\");  // a root keeps its backslash
  // An exclusion written before its folder's line still counts; one of no
  // watched folder is dropped.
  const WatchList early = WatchList::FromLines({"-C:\\W\\x.jpg", "-C:\\Other\\y.jpg", "C:\\W\\*"});
  EXPECT_EQ(early.Exclusions(), (std::vector<std::string>{"C:\\W\\x.jpg"}));
}

TEST(WatchedFoldersTest, MembershipFollowsTheFolderWalksRules) {
  const WatchedFolder flat{"C:\\Pics", false}, deep{"C:\\Pics", true}, root{"C:\\", true};
  EXPECT_TRUE(BelongsToWatched(flat, "C:\\Pics\\a.jpg"));
  EXPECT_TRUE(BelongsToWatched(flat, "c:/PICS/A.JPEG"));  // case and slashes as the file system takes them
  EXPECT_FALSE(BelongsToWatched(flat, "C:\\Pics\\sub\\a.jpg"));
  EXPECT_TRUE(BelongsToWatched(deep, "C:\\Pics\\sub\\sub2\\a.gif"));
  EXPECT_FALSE(BelongsToWatched(deep, "C:\\Pictures\\a.jpg"));  // a folder whose name goes on is another folder
  EXPECT_FALSE(BelongsToWatched(deep, "C:\\Pics\\notes.txt"));
  EXPECT_FALSE(BelongsToWatched(deep, "C:\\Pics"));
  EXPECT_FALSE(BelongsToWatched(deep, "C:\\Pics\\sub\\"));
  EXPECT_TRUE(BelongsToWatched(root, "C:\\x\\y.bmp"));
  // 300 levels deep is still inside; past the longest path the system takes, nothing is.
  std::string path = "C:\\Pics";
  for (int i = 0; i < 300; ++i) path += "\\d";
  EXPECT_TRUE(BelongsToWatched(deep, path + "\\a.jpg"));
  EXPECT_FALSE(BelongsToWatched(deep, "C:\\Pics\\" + std::string(33000, 'x') + ".jpg"));
  EXPECT_FALSE(BelongsToWatched(deep, std::string("C:\\Pics\\a\nb.jpg")));

  // The same rules for an entry of the list, and hashes that ignore case and slashes.
  EXPECT_TRUE(InWatchedFolder(flat, SplitEntry("C:\\PICS\\a.jpg")));
  EXPECT_FALSE(InWatchedFolder(flat, SplitEntry("C:\\Pics\\sub\\a.jpg")));
  EXPECT_TRUE(InWatchedFolder(deep, SplitEntry("C:\\Pics\\sub\\a.jpg")));
  EXPECT_FALSE(InWatchedFolder(deep, SplitEntry("C:\\Pictures\\a.jpg")));
  EXPECT_TRUE(InWatchedFolder(root, SplitEntry("C:\\a.jpg")));
  EXPECT_EQ(PathHash("c:/pics/SUB/A.jpg"), PathHash(SplitEntry("C:\\Pics\\sub\\a.JPG")));
  EXPECT_NE(PathHash("C:\\Pics\\a.jpg"), PathHash("C:\\Pics\\b.jpg"));
  std::vector<std::uint64_t> folders;
  const std::uint64_t whole = PathHashes(SplitEntry("C:\\Pics\\sub\\deep\\x.jpg"), 7,
                                         [&](std::uint64_t h) { folders.push_back(h); });
  EXPECT_EQ(whole, PathHash("C:\\Pics\\sub\\deep\\x.jpg"));
  EXPECT_EQ(folders, (std::vector<std::uint64_t>{PathHash("C:\\Pics\\sub"), PathHash("c:\\pics\\sub\\deep")}));

  WatchList watch;
  EXPECT_TRUE(watch.Watch({"C:\\Pics", false}));
  EXPECT_FALSE(watch.Watch({"c:\\pics\\", false}));  // already watched
  EXPECT_TRUE(watch.Watch({"C:\\Pics", true}));      // widened to its subfolders
  EXPECT_FALSE(watch.Watch({"C:\\Pics\\sub", true}));  // covered by it
  ASSERT_EQ(watch.Folders().size(), 1u);
  EXPECT_TRUE(watch.Folders()[0].subfolders);
  EXPECT_EQ(watch.OwnerOf("C:\\Pics\\sub\\x.jpg"), 0);
  EXPECT_TRUE(watch.Exclude("C:\\Pics\\sub\\x.jpg"));
  EXPECT_TRUE(watch.Watch({"D:\\More", false}));
  EXPECT_TRUE(watch.Exclude("D:\\More\\y.jpg"));
  // Stopping a folder forgets its exclusions only.
  EXPECT_TRUE(watch.Unwatch("C:\\PICS"));
  EXPECT_FALSE(watch.Unwatch("C:\\Pics"));
  EXPECT_FALSE(watch.IsExcluded("C:\\Pics\\sub\\x.jpg"));
  EXPECT_TRUE(watch.IsExcluded("D:\\More\\y.jpg"));
  EXPECT_EQ(watch.OwnerOf("C:\\Pics\\sub\\x.jpg"), -1);
}

TEST(WatchedFoldersTest, DuplicatesKeepTheFirstAndNewEntriesGoWhereTheOrderPutsThem) {
  const std::vector<ListEntry> dupes = {SplitEntry("C:\\a.jpg"), SplitEntry("C:\\b.jpg"), SplitEntry("c:\\A.JPG"),
                                        SplitEntry("C:\\b.jpg"), SplitEntry("C:\\c.jpg"), SplitEntry("C:\\a.jpg")};
  EXPECT_EQ(DuplicateIndexes(dupes), (std::vector<int>{2, 3, 5}));

  const std::vector<ListEntry> byLocation = {SplitEntry("C:\\P\\img2.jpg"), SplitEntry("C:\\P\\img10.jpg"),
                                             SplitEntry("C:\\Q\\a.jpg")};
  std::vector<ListEntry> added = {SplitEntry("C:\\Z\\z.jpg"), SplitEntry("C:\\P\\img3.jpg"), SplitEntry("C:\\P\\img1.jpg"),
                                  SplitEntry("C:\\P\\img10.jpg")};
  EXPECT_EQ(PlaceNewEntries(byLocation, added, ListOrder::Location), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Paths(added), (std::vector<std::string>{"C:\\P\\img1.jpg", "C:\\P\\img3.jpg", "C:\\P\\img10.jpg",
                                                    "C:\\Z\\z.jpg"}));

  const std::vector<ListEntry> byName = {SplitEntry("C:\\Z\\apple.jpg"), SplitEntry("C:\\A\\melon.jpg")};
  std::vector<ListEntry> one = {SplitEntry("C:\\M\\kiwi.jpg")};
  EXPECT_EQ(PlaceNewEntries(byName, one, ListOrder::Name), (std::vector<int>{1}));
  std::vector<ListEntry> unordered = {SplitEntry("C:\\b.jpg"), SplitEntry("C:\\a.jpg")};
  EXPECT_EQ(PlaceNewEntries(byName, unordered, std::nullopt), (std::vector<int>{2, 2}));
  EXPECT_EQ(Paths(unordered), (std::vector<std::string>{"C:\\b.jpg", "C:\\a.jpg"}));

  // The model takes them in at those places: the selection stays on its
  // picture, and the random round takes the new ones in and drops removed ones.
  vdapp::WallpaperModel model;
  model.Replace(byLocation);
  model.Select(1);  // img10
  model.InsertEntries(added, PlaceNewEntries(model.Entries(), added, ListOrder::Location));
  EXPECT_EQ(Paths(model.Entries()),
            (std::vector<std::string>{"C:\\P\\img1.jpg", "C:\\P\\img2.jpg", "C:\\P\\img3.jpg", "C:\\P\\img10.jpg",
                                      "C:\\P\\img10.jpg", "C:\\Q\\a.jpg", "C:\\Z\\z.jpg"}));
  EXPECT_EQ(model.Selected(), 3);  // the new img10 goes after the one there
  model.RemoveEntries({0, 2});
  EXPECT_EQ(model.Selected(), 1);
  EXPECT_EQ(model.At(1).FullPath(), "C:\\P\\img10.jpg");
  std::vector<int> shown;
  unsigned r = 7;
  for (int i = 0; i < model.Count(); ++i) shown.push_back(model.TakeNext(1, true, [&] { return r = r * 1103515245u + 12345u; })[0]);
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4}));  // one round: each remaining entry once

  // Many removed at once.
  std::vector<ListEntry> many;
  for (int i = 0; i < 100; ++i) many.push_back(SplitEntry("C:\\m\\" + std::to_string(i) + ".jpg"));
  model.Replace(many);
  model.Select(99);
  std::vector<int> evens;
  for (int i = 0; i < 100; i += 2) evens.push_back(i);
  model.RemoveEntries(evens);
  EXPECT_EQ(model.Count(), 50);
  EXPECT_EQ(model.Selected(), 49);
  EXPECT_EQ(model.At(0).FullPath(), "C:\\m\\1.jpg");
}

}  // namespace
}  // namespace vd
