// Watched folders as a user sees them: a folder added stays up to date while
// VD runs and at the next start, a picture the user removed stays away, an
// old list with the new lines keeps its other entries, Settings stops
// watching, and Remove Duplicates keeps the first of each.
#include <algorithm>

#include "dialogs/dialog_ids.h"
#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

constexpr const char* kSettingsTitle = "Settings: Vexa Desktop v1.1";
// The longest a change in a watched folder may take to reach the list.
constexpr int kArrivalMs = 2000;

std::string Lines(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& p : paths) text += p + "\r\n";
  return text;
}

bool Has(const std::vector<std::string>& items, const std::string& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

class WatchedFoldersTest : public VdTest {
 protected:
  void SetUp() override {
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "SortingType", "0");
  }
  HWND ImgList(HWND main) const { return ::GetDlgItem(main, ids::imgList); }
  std::string Pic(const std::string& path, std::uint32_t rgb) {
    EXPECT_TRUE(MakeSolidPicture(path, 16, 12, "jpg", rgb)) << path;
    return path;
  }
  bool SavedListHas(const std::string& line) const {
    const auto text = ReadFileText(DefaultListPath());
    return text && text->find(line + "\r\n") != std::string::npos;
  }
};

TEST_F(WatchedFoldersTest, AWatchedFolderFollowsCopiesAndDeletesAndARemovedPictureStaysAway) {
  const std::string w = Temp() / "Watched", staging = Temp() / "Staging";
  MakeFolder(w);
  MakeFolder(w + "\\sub");
  MakeFolder(staging);
  Pic(w + "\\b.jpg", 0x00FF00);
  Pic(w + "\\d.jpg", 0x0000FF);
  Pic(w + "\\sub\\s.jpg", 0xFFFF00);
  WriteFileText(w + "\\notes.txt", "no picture");
  const std::string loose = Pic(staging + "\\loose.jpg", 0x808080);
  WriteFileText(DefaultListPath(), Lines({loose}));

  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(main);
  // Explorer's folder command: the folder with its subfolders, watched.
  Process relay = StartUtf8(PelorinExe(), "-n " + w, Temp().Path());
  ASSERT_TRUE(relay.WaitExit(30000));
  ASSERT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == 4; }, 10000));
  EXPECT_TRUE(WaitUntil([&] { return SavedListHas(w + "\\**"); }, 5000)) << ReadFileText(DefaultListPath()).value_or("");

  // Copied in (a new subfolder's too), renamed, deleted: the list follows within two seconds.
  Pic(staging + "\\c.jpg", 0xFF00FF);
  ASSERT_TRUE(::CopyFileA((staging + "\\c.jpg").c_str(), (w + "\\c.jpg").c_str(), FALSE));
  EXPECT_TRUE(WaitUntil([&] { return Has(ListBoxItems(list), "c"); }, kArrivalMs));
  ASSERT_TRUE(::DeleteFileA((w + "\\d.jpg").c_str()));
  EXPECT_TRUE(WaitUntil([&] { return !Has(ListBoxItems(list), "d"); }, kArrivalMs));
  ASSERT_TRUE(::MoveFileA((w + "\\b.jpg").c_str(), (w + "\\b2.jpg").c_str()));
  EXPECT_TRUE(WaitUntil([&] { const auto items = ListBoxItems(list); return Has(items, "b2") && !Has(items, "b"); },
                        kArrivalMs));
  MakeFolder(staging + "\\more");
  Pic(staging + "\\more\\m.jpg", 0x123456);
  ASSERT_TRUE(::MoveFileA((staging + "\\more").c_str(), (w + "\\more").c_str()));
  EXPECT_TRUE(WaitUntil([&] { return Has(ListBoxItems(list), "m"); }, kArrivalMs));
  // In location order: the new ones where the order puts them, the one added by hand first.
  EXPECT_TRUE(ListFileIs(Lines({loose, w + "\\b2.jpg", w + "\\c.jpg", w + "\\more\\m.jpg", w + "\\sub\\s.jpg"}) +
                         w + "\\**\r\n"))
      << ReadFileText(DefaultListPath()).value_or("");

  // The user removes c: it is excluded from the folder, and the list keeps that.
  const auto items = ListBoxItems(list);
  const int c = static_cast<int>(std::find(items.begin(), items.end(), "c") - items.begin());
  ClickListItem(list, c);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == c; }, 5000));
  ::PostMessageA(main, WM_COMMAND, ids::mnuDel, 0);
  EXPECT_TRUE(WaitUntil([&] { return !Has(ListBoxItems(list), "c"); }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return SavedListHas("-" + w + "\\c.jpg"); }, 5000));
  // Adding the watched folder again adds nothing twice.
  Process again = StartUtf8(PelorinExe(), "-n " + w, Temp().Path());
  ASSERT_TRUE(again.WaitExit(30000));
  ASSERT_TRUE(WaitUntil([&] { return ProcessIdsOf("VD.exe") == std::vector<DWORD>{vd.Pid()}; }, 20000));
  ::Sleep(500);
  EXPECT_EQ(ListBoxItems(list).size(), 4u);

  // While VD is away, a picture comes and one goes: at the next start the
  // folder is scanned again, and the removed picture does not come back.
  vd.Kill();
  Pic(w + "\\e.jpg", 0x654321);
  ASSERT_TRUE(::DeleteFileA((w + "\\sub\\s.jpg").c_str()));
  Process next = StartVd();
  HWND nextList = ImgList(MainWindow(next));
  EXPECT_TRUE(WaitUntil([&] { const auto now = ListBoxItems(nextList); return Has(now, "e") && !Has(now, "s"); }, 5000));
  ::Sleep(500);
  EXPECT_EQ(ListBoxItems(nextList), (std::vector<std::string>{"loose", "b2", "e", "m"}));
  EXPECT_TRUE(SavedListHas("-" + w + "\\c.jpg"));
}

TEST_F(WatchedFoldersTest, AnOldListWithWatchLinesKeepsItsEntriesAndSettingsStopsWatching) {
  const std::string pics = Temp() / "Pics", w = Temp() / "Shots", later = Temp() / "Later";
  MakeFolder(pics);
  MakeFolder(w);
  const std::string p1 = Pic(pics + "\\p1.jpg", 0xFF0000), p2 = Pic(pics + "\\p2.jpg", 0x00FF00);
  Pic(w + "\\x.jpg", 0x0000FF);
  Pic(w + "\\y.jpg", 0xFFFF00);
  // Written by hand: a folder that does not exist yet, a watched folder with
  // an exclusion, and the same picture twice.
  WriteFileText(DefaultListPath(),
                Lines({p1, later + "\\*", w + "\\*", "-" + w + "\\x.jpg", p2, p1}));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(main);
  // Today's entries stay; the folder brings y, not the excluded x.
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == 4; }, 5000));
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"p1", "p2", "p1", "y"}));
  EXPECT_TRUE(ListFileIs(Lines({p1, p2, p1, w + "\\y.jpg", later + "\\*", w + "\\*", "-" + w + "\\x.jpg"})))
      << ReadFileText(DefaultListPath()).value_or("");
  // The folder that was not there is watched once it appears.
  MakeFolder(later);
  Pic(later + "\\z.jpg", 0x00FFFF);
  EXPECT_TRUE(WaitUntil([&] { return Has(ListBoxItems(list), "z"); }, 5000));

  // Remove Duplicates (the Remove menu's last entry) keeps the first p1.
  ClickControl(::GetDlgItem(main, ids::ButtonsBase + 1));
  HWND menu = WaitForPopupMenu();
  ASSERT_TRUE(menu);
  MenuKeys(menu, {VK_UP, VK_RETURN});
  ASSERT_TRUE(WaitNoPopupMenu());
  // z went where the location order puts it, before the pictures of Pics.
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(list) == std::vector<std::string>{"z", "p1", "p2", "y"}; }, 5000));

  // Settings lists both folders; Stop watching asks, and Yes takes the folder's pictures out too.
  ClickControl(::GetDlgItem(main, ids::ButtonsBase + 4));
  HWND settings = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(settings = FindProcessWindow(vd.Pid(), kFormClass, kSettingsTitle)); },
                        10000));
  HWND folders = ::GetDlgItem(settings, ids::lstWatched);
  EXPECT_EQ(ListBoxItems(folders), (std::vector<std::string>{later, w}));
  ::Sleep(1500);  // time for a screenshot of the dialog
  ClickListItem(folders, 1);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(settings, ids::cmdStopWatching)) != FALSE; }, 5000));
  PressButton(settings, ids::cmdStopWatching);
  HWND ask = WaitForDialog(vd.Pid(), "Vexa Desktop");
  ASSERT_TRUE(ask);
  EXPECT_NE(MessageBoxText(ask).find("Remove this folder's pictures from the list too?"), std::string::npos);
  PressButton(ask, IDYES);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(folders) == std::vector<std::string>{later}; }, 5000));
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"z", "p1", "p2"}));
  EXPECT_TRUE(ListFileIs(Lines({later + "\\z.jpg", p1, p2, later + "\\*"})))
      << ReadFileText(DefaultListPath()).value_or("");
  // No longer watched: a new picture there stays out.
  Pic(w + "\\new.jpg", 0x101010);
  ::Sleep(kArrivalMs);
  EXPECT_FALSE(Has(ListBoxItems(list), "new"));

  // While Settings shows, a folder added through the relay joins its list,
  // and the folder picked stays picked; Stop watching still takes the right one.
  ClickListItem(folders, 0);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(settings, ids::cmdStopWatching)) != FALSE; }, 5000));
  Process relay = StartUtf8(PelorinExe(), "-n " + pics, Temp().Path());
  ASSERT_TRUE(relay.WaitExit(30000));
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(folders) == std::vector<std::string>{later, pics + "  (with subfolders)"}; },
                        10000))
      << ListBoxItems(folders).size();
  EXPECT_EQ(::SendMessageA(folders, LB_GETCURSEL, 0, 0), 0);
  PressButton(settings, ids::cmdStopWatching);
  ask = WaitForDialog(vd.Pid(), "Vexa Desktop");
  ASSERT_TRUE(ask);
  EXPECT_NE(MessageBoxText(ask).find("Stop watching " + later + "?"), std::string::npos) << MessageBoxText(ask);
  PressButton(ask, IDNO);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(folders) == std::vector<std::string>{pics + "  (with subfolders)"}; }, 5000));
  PressButton(settings, ids::cmdCancel);
}

}  // namespace
}  // namespace e2e
