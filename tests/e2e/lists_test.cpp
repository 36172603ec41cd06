// The wallpaper list as a user keeps it: pictures added under any spelling
// come back at the next load, Remove All asks first, and Sort By orders it;
// the list outlives a cleaned TEMP and a folder that is away for a while, and
// only pictures the system decodes are added.
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

// The list's copy in the user's application data, beside the test's TEMP.
std::string ListCopyPath(const TempDir& temp) { return LocalAppDataOf(temp.Path()) + "\\Vexa Desktop\\VDesk.ini"; }

// A message box of VD within the time given: its text, after pressing OK;
// "" when none came.
std::string TakeMessage(const Process& vd, int timeoutMs) {
  HWND box = WaitForProcessWindow(vd.Pid(), "#32770", kMainTitle, timeoutMs);
  if (!box) return {};
  const std::string text = MessageBoxText(box);
  PressButton(box, IDOK);
  // Gone, not only hidden: a box still being torn down would be found again.
  WaitUntil([&] { return !::IsWindow(box); }, 5000);
  return text.empty() ? "<empty>" : text;
}

TEST_F(ListsTest, TheListComesBackFromItsCopyAfterTempIsEmptied) {
  MakeFolder(Temp() / "Pics");
  const std::string a = Pic(Temp() / "Pics\\a.jpg", 0xFF0000), b = Pic(Temp() / "Pics\\b.jpg", 0x00FF00);
  const std::string copy = ListCopyPath(Temp());
  WriteFileText(DefaultListPath(), Lines({a}));
  {
    // The copy follows the list from the first start on, and at every save.
    Process vd = StartVd();
    EXPECT_EQ(ReadFileText(copy), Lines({a}));
    RelayAdd(b);
    EXPECT_TRUE(WaitUntil([&] { return ReadFileText(copy) == Lines({a, b}); }, 10000));
    EXPECT_EQ(ReadFileText(DefaultListPath()), Lines({a, b}));
    ASSERT_TRUE(WaitUntil([&] { return ProcessIdsOf("VD.exe") == std::vector<DWORD>{vd.Pid()}; }, 20000));
  }
  KillStrayPrograms();

  // A clean-up empties TEMP: the list is back at the next start, without a word.
  ASSERT_TRUE(::DeleteFileA(DefaultListPath().c_str()));
  ::DeleteFileA((Temp() / "Vexa Desktop.bmp").c_str());
  {
    Process vd = StartVd();
    EXPECT_EQ(ListBoxItems(ImgList(MainWindow(vd))), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ReadFileText(DefaultListPath()), Lines({a, b}));
    EXPECT_EQ(TakeMessage(vd, 1500), "");
  }
  KillStrayPrograms();

  // Both there: the list in TEMP wins, and a damaged copy, or an empty folder
  // in its place, is written anew from it.
  for (bool folder : {false, true}) {
    WriteFileText(DefaultListPath(), Lines({b}));
    if (folder) {
      ::DeleteFileA(copy.c_str());
      MakeFolder(copy);
    } else {
      WriteFileText(copy, "\x01\xFF\xFE garbage\r\nC:\\nowhere\\x.jpg\r\n");
    }
    Process vd = StartVd();
    EXPECT_EQ(ListBoxItems(ImgList(MainWindow(vd))), std::vector<std::string>{"b"}) << folder;
    EXPECT_EQ(ReadFileText(copy), Lines({b})) << folder;
    EXPECT_EQ(TakeMessage(vd, 1000), "") << folder;
    KillStrayPrograms();
  }

  // Neither can be read: nothing is written over, and the user is told so.
  WriteFileText(copy, Lines({a, b}));
  HANDLE heldList = ::CreateFileA(DefaultListPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE heldCopy = ::CreateFileA(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(heldList, INVALID_HANDLE_VALUE);
  ASSERT_NE(heldCopy, INVALID_HANDLE_VALUE);
  Process vd = StartVd();
  RelayAdd(a);
  EXPECT_NE(TakeMessage(vd, 10000).find("could not be read"), std::string::npos);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(ImgList(MainWindow(vd))).size() == 1; }, 5000));
  ::CloseHandle(heldList);
  ::CloseHandle(heldCopy);
  EXPECT_TRUE(ListFileIs(Lines({b})));
  EXPECT_EQ(ReadFileText(copy), Lines({a, b}));
}

TEST_F(ListsTest, OnlyPicturesTheSystemDecodesAreAddedAndAFolderSaysWhatItSkipped) {
  // Wine has no WebP codec: .webp is the picture kind without a decoder here.
  const std::string album = Temp() / "Album";
  MakeFolder(album);
  const std::string a = Pic(album + "\\a.jpg", 0xFF0000), webp = album + "\\x.webp", notes = album + "\\notes.txt";
  ASSERT_TRUE(MakeSolidPicture(album + "\\b.bmp", 8, 8, "bmp", 0x0000FF));
  WriteFileText(webp, "RIFF WEBPVP8 ");
  WriteFileText(album + "\\y.heic", "....ftypheic");
  WriteFileText(notes, "not a picture");
  const std::string plain = Temp() / "Plain";
  MakeFolder(plain);
  const std::string c = Pic(plain + "\\c.jpg", 0x00FF00);

  // A saved list keeps the WebP entry; the text file's line is dropped.
  WriteFileText(DefaultListPath(), Lines({a, webp, notes}));
  Process vd = StartVd();
  HWND list = ImgList(MainWindow(vd));
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"a", "x"}));
  EXPECT_TRUE(ListFileIs(Lines({a, webp})));

  // Explorer's command adds neither a text file nor a picture it cannot show.
  RelayAdd(notes);
  RelayAdd(webp);
  RelayAdd(c);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == 3; }, 10000));
  EXPECT_TRUE(ListFileIs(Lines({a, webp, c})));

  // A change passes over the WebP entry without a word; picked, it says why.
  ClickListItem(list, 0);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 0; }, 5000));
  ::PostMessageA(MainWindow(vd), WM_COMMAND, ids::mnuChange, 0);
  EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 2; }, 10000));
  EXPECT_EQ(TakeMessage(vd, 1000), "");
  ClickListItem(list, 1);
  EXPECT_NE(TakeMessage(vd, 10000).find(webp + "\r\nis not a picture that can be read"), std::string::npos);
  EXPECT_EQ(ListBoxItems(list).size(), 3u);

  // A folder: its pictures are added, and one message says what was skipped.
  Process relay = StartUtf8(PelorinExe(), "-n " + album, Temp().Path());
  EXPECT_TRUE(relay.WaitExit(30000)) << "Pelorin does not wait for the message";
  EXPECT_EQ(TakeMessage(vd, 10000),
            "1 file skipped: no decoder for .webp on this system\r\n"
            "1 file skipped: no decoder for .heic on this system");
  // The folder is watched from now on; a, in the list already, is not added twice.
  EXPECT_TRUE(ListFileIs(Lines({a, webp, c, album + "\\b.bmp", album + "\\**"})));
  EXPECT_EQ(TakeMessage(vd, 1000), "") << "one message, not one a file";
  // Nothing skipped, nothing said.
  Process again = StartUtf8(PelorinExe(), "-n " + plain, Temp().Path());
  EXPECT_TRUE(again.WaitExit(30000));
  EXPECT_TRUE(WaitUntil(
      [&] {
        return ReadFileText(DefaultListPath()) ==
               Lines({a, webp, c, album + "\\b.bmp", album + "\\**", plain + "\\**"});
      },
      10000));
  EXPECT_EQ(TakeMessage(vd, 1500), "");
  ASSERT_TRUE(WaitUntil([&] { return ProcessIdsOf("VD.exe") == std::vector<DWORD>{vd.Pid()}; }, 20000));
  vd.Kill();

  // The same at a start with a folder.
  WriteFileText(webp + "2.webp", "RIFF");
  Process started = StartVd("-n " + album);
  EXPECT_EQ(TakeMessage(started, 10000),
            "2 files skipped: no decoder for .webp on this system\r\n"
            "1 file skipped: no decoder for .heic on this system");
  EXPECT_EQ(ListBoxItems(ImgList(MainWindow(started))).size(), 4u) << "the folder's pictures are listed already";
}

TEST_F(ListsTest, EntriesOfAFolderThatIsAwayStayUntilItIsBack) {
  FixedStyle(2);
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");
  const std::string vanish = Temp() / "vanish", pics = Temp() / "pics";
  MakeFolder(vanish);
  MakeFolder(pics);
  const std::vector<std::string> listed = {Pic(vanish + "\\j1.jpg", 0xFF0000), vanish + "\\g1.gif",
                                           pics + "\\b2.bmp"};
  ASSERT_TRUE(MakeSolidPicture(listed[1], 8, 8, "gif", 0x00FF00));
  ASSERT_TRUE(MakeSolidPicture(listed[2], 8, 8, "bmp", 0x0000FF));
  WriteFileText(DefaultListPath(), Lines(listed));
  const std::vector<std::string> names = {"j1", "g1", "b2"};
  {
    Process vd = StartVd();
    HWND list = ImgList(MainWindow(vd));
    ASSERT_EQ(ListBoxItems(list), names);
    ASSERT_TRUE(::MoveFileA(vanish.c_str(), (vanish + "2").c_str()));
    // One change passes over the two that are away and shows b2.
    ::PostMessageA(MainWindow(vd), WM_COMMAND, ids::mnuChange, 0);
    EXPECT_TRUE(WaitUntil([&] { return ColourDistance(ScreenPixel(5, 5), 0x0000FF) <= 12; }, 10000));
    EXPECT_EQ(ListBoxSelection(list), 2);
    EXPECT_EQ(ListBoxItems(list), names);
    EXPECT_TRUE(ListFileIs(Lines(listed)));
    // With every folder away, a change ends with nothing changed and nothing lost.
    ASSERT_TRUE(::MoveFileA(pics.c_str(), (pics + "2").c_str()));
    ::PostMessageA(MainWindow(vd), WM_COMMAND, ids::mnuChange, 0);
    ::Sleep(2000);
    EXPECT_EQ(ListBoxItems(list), names);
    EXPECT_TRUE(ListFileIs(Lines(listed)));
    EXPECT_LE(ColourDistance(ScreenPixel(5, 5), 0x0000FF), 12);
    EXPECT_EQ(TakeMessage(vd, 500), "");
    EXPECT_TRUE(vd.Running());
    ASSERT_TRUE(::MoveFileA((pics + "2").c_str(), pics.c_str()));
  }
  KillStrayPrograms();
  {
    // Still away at the next start: loaded all the same.
    Process vd = StartVd();
    EXPECT_EQ(ListBoxItems(ImgList(MainWindow(vd))), names);
    EXPECT_TRUE(ListFileIs(Lines(listed)));
  }
  KillStrayPrograms();
  ASSERT_TRUE(::MoveFileA((vanish + "2").c_str(), vanish.c_str()));
  {
    Process vd = StartVd();
    HWND list = ImgList(MainWindow(vd));
    EXPECT_EQ(ListBoxItems(list), names);
    ::PostMessageA(MainWindow(vd), WM_COMMAND, ids::mnuChange, 0);
    EXPECT_TRUE(WaitUntil([&] { return ColourDistance(ScreenPixel(5, 5), 0xFF0000) <= 12; }, 10000))
        << "back, j1 is the next picture";
  }
  KillStrayPrograms();
  // A file gone from a folder that is there still leaves the list.
  ASSERT_TRUE(::DeleteFileA(listed[1].c_str()));
  Process vd = StartVd();
  EXPECT_EQ(ListBoxItems(ImgList(MainWindow(vd))), (std::vector<std::string>{"j1", "b2"}));
}

}  // namespace
}  // namespace e2e
