// The wallpaper list as a user keeps it: pictures added under any spelling
// come back at the next load, Remove All asks first, and Sort By orders it.
#include <algorithm>

#include "dialogs/dialog_ids.h"
#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

std::string Lines(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& p : paths) text += p + "\r\n";
  return text;
}

class ListsTest : public VdTest {
 protected:
  void SetUp() override {
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "SortingType", "0");
  }
  HWND ImgList(HWND main) const { return ::GetDlgItem(main, ids::imgList); }
  bool ChooseFromButton(HWND main, int button, std::initializer_list<WPARAM> keys) {
    ClickControl(::GetDlgItem(main, ids::ButtonsBase + button));
    HWND menu = WaitForPopupMenu();
    if (!menu) return false;
    MenuKeys(menu, keys);
    return WaitNoPopupMenu();
  }
  std::string Pic(const std::string& path, std::uint32_t rgb) {
    EXPECT_TRUE(MakeSolidPicture(path, 16, 12, "jpg", rgb)) << path;
    return path;
  }
  void RelayAdd(const std::string& path) {
    Process p = StartUtf8(PelorinExe(), "-i " + path, Temp().Path());
    EXPECT_TRUE(p.WaitExit(30000)) << path;
  }
};

TEST_F(ListsTest, OtherSpellingsAndAHeldFileAreKeptAndStoredAsTheFileSystemSpellsThem) {
  const std::string pics = Temp() / "Pics";
  MakeFolder(pics);
  MakeFolder(pics + "\\n");
  const std::string cafe = pics + "\\n\\caf\xC3\xA9.jpg";  // "café.jpg"
  const std::vector<std::string> stored = {Pic(pics + "\\p5.jpg", 0xFF0000), Pic(pics + "\\p6.jpg", 0x00FF00),
                                           Pic(cafe, 0x0000FF), Pic(pics + "\\p4.jpg", 0xFFFF00),
                                           Pic(pics + "\\held.jpg", 0x00FFFF)};
  std::string upper = pics + "\\P5.JPG", slashes = pics + "\\p6.jpg";
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
  std::transform(slashes.begin(), slashes.end(), slashes.begin(),
                 [](char c) { return c == '\\' ? '/' : c >= 'A' && c <= 'Z' ? c + 32 : c; });
  const std::vector<std::string> spellings = {upper, slashes, pics + "\\.\\n\\.\\caf\xC3\xA9.jpg",
                                              pics + "\\p3.jpg\\..\\p4.jpg", pics + "\\held.jpg"};
  // Another program holds this one open and shares it with nobody.
  HANDLE held = ::CreateFileA(stored[4].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(main);
  const std::vector<std::string> names = {"p5", "p6", "caf\xC3\xA9", "p4", "held"};

  // Added one by one through Explorer's command: each is stored as on disk.
  for (const std::string& s : spellings) RelayAdd(s);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == 5; }, 10000));
  EXPECT_EQ(ListBoxItems(list), names);
  EXPECT_TRUE(ListFileIs(Lines(stored)));

  // A list written by hand (or by an older version) with those spellings and
  // one picture that is gone: Load List keeps the five, stored as on disk.
  const std::string old = Temp() / "old.vdl";
  std::vector<std::string> lines = spellings;
  lines.insert(lines.begin() + 2, pics + "\\gone.jpg");
  WriteFileText(old, Lines(lines));
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);  // so that the load is seen to fill it again
  ASSERT_TRUE(ChooseFromButton(main, 2, {VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND open = WaitForDialog(vd.Pid(), "Open Wallpapers' List");
  ASSERT_TRUE(open);
  AnswerFileDialog(open, old);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == 5; }, 10000));
  EXPECT_EQ(ListBoxItems(list), names);
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(DefaultListPath()) == Lines(stored); }, 5000))
      << ReadFileText(DefaultListPath()).value_or("(none)");

  // And the saved list loads back whole at the next start, the file still held.
  // The copies of VD that the relays started end by themselves; one still
  // there would make the new start a second copy.
  ASSERT_TRUE(WaitUntil([&] { return ProcessIdsOf("VD.exe") == std::vector<DWORD>{vd.Pid()}; }, 20000));
  vd.Kill();
  Process again = StartVd();
  EXPECT_EQ(ListBoxItems(ImgList(MainWindow(again))), names);
  EXPECT_TRUE(ListFileIs(Lines(stored)));
  ::CloseHandle(held);
}

TEST_F(ListsTest, RemoveAllAsksAndSortOrdersTheSavedListKeepingTheSelection) {
  MakeFolder(Temp() / "A");
  MakeFolder(Temp() / "B");
  MakeFolder(Temp() / "C");
  const std::string b10 = Pic(Temp() / "B\\img10.jpg", 0xFF0000), a2 = Pic(Temp() / "A\\img2.jpg", 0x00FF00),
                    c1 = Pic(Temp() / "C\\IMG1.jpg", 0x0000FF), a10 = Pic(Temp() / "A\\img10.jpg", 0x808080);
  WriteFileText(DefaultListPath(), Lines({b10, a2, c1, a10}));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(main);
  ClickListItem(list, 0);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 0; }, 5000));

  // List > Sort By > Name: file names in natural order, the same folder-less
  // names by location; the selection stays on B's img10.
  ASSERT_TRUE(ChooseFromButton(main, 2, {VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}));
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(DefaultListPath()) == Lines({c1, a2, a10, b10}); }, 5000))
      << ReadFileText(DefaultListPath()).value_or("(none)");
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"IMG1", "img2", "img10", "img10"}));
  EXPECT_EQ(ListBoxSelection(list), 3);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "SortingType"), "1");
  // Image menu > Sort list by > Location: by full path.
  ASSERT_TRUE(ChooseFromImageMenu(list, {VK_UP, VK_RIGHT, VK_RETURN}));
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(DefaultListPath()) == Lines({a2, a10, b10, c1}); }, 5000))
      << ReadFileText(DefaultListPath()).value_or("(none)");
  EXPECT_EQ(ListBoxSelection(list), 2);
  // A new choice in Settings orders the list too, once applied.
  ClickControl(::GetDlgItem(main, ids::ButtonsBase + 4));
  HWND settings = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] { return IsVisible(settings = FindProcessWindow(vd.Pid(), kFormClass, "Settings: Vexa Desktop v1.1")); },
      10000));
  PressButton(settings, ids::STypeBase + 1);
  PressButton(settings, ids::cmdApply);
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(DefaultListPath()) == Lines({c1, a2, a10, b10}); }, 5000))
      << ReadFileText(DefaultListPath()).value_or("(none)");
  EXPECT_EQ(ListBoxSelection(list), 3);
  PressButton(settings, ids::cmdCancel);
  ASSERT_TRUE(WaitUntil([&] { return !IsVisible(settings); }, 5000));

  // Remove > Remove All Images asks; No keeps everything, Yes empties the list.
  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(ChooseFromButton(main, 1, {VK_DOWN, VK_DOWN, VK_RETURN}));
    HWND ask = WaitForDialog(vd.Pid(), kMainTitle);
    ASSERT_TRUE(ask);
    EXPECT_EQ(MessageBoxText(ask), "Remove all 4 pictures from the list?");
    EXPECT_TRUE(::GetDlgItem(ask, IDYES) && ::GetDlgItem(ask, IDNO) && !::GetDlgItem(ask, IDCANCEL));
    PressButton(ask, answer);
    ASSERT_TRUE(WaitDialogGone(ask));
    ::Sleep(300);
    if (answer == IDNO) {
      EXPECT_EQ(ListBoxItems(list).size(), 4u);
      EXPECT_EQ(ListBoxSelection(list), 3);
      EXPECT_TRUE(ListFileIs(Lines({c1, a2, a10, b10})));
    }
  }
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(list).empty(); }, 5000));
  EXPECT_TRUE(ListFileIs(""));

  // On an empty list there is nothing to ask about.
  ::DeleteFileA(DefaultListPath().c_str());
  ASSERT_TRUE(ChooseFromButton(main, 1, {VK_DOWN, VK_RETURN}));
  EXPECT_TRUE(WaitUntil([&] { return FileExists(DefaultListPath()); }, 5000));
  EXPECT_FALSE(WaitForDialog(vd.Pid(), kMainTitle, 1000));
  EXPECT_TRUE(ListFileIs(""));
}

}  // namespace
}  // namespace e2e
