// The main window's menus: adding files through the open dialog, removing
// entries, saving and loading list files, editing a picture, its properties
// and the sort choice.
#include "harness.h"

#include <shlobj.h>

#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

class MenusTest : public VdTest {
 protected:
  void SetUp() override {
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", "1");
  }
  HWND Button(HWND main, int i) const { return ::GetDlgItem(main, ids::ButtonsBase + i); }
  HWND ImgList(HWND main) const { return ::GetDlgItem(main, ids::imgList); }
  std::vector<std::string> Names(HWND main) const { return ListBoxItems(ImgList(main)); }
  // Pops up a panel button's menu and picks the entry n downs reach.
  bool ChooseFromButton(HWND main, int button, std::initializer_list<WPARAM> keys) {
    ClickControl(Button(main, button));
    HWND menu = WaitForPopupMenu();
    if (!menu) return false;
    MenuKeys(menu, keys);
    return WaitNoPopupMenu();
  }
  bool ChooseFromImageMenu(HWND main, std::initializer_list<WPARAM> keys) {
    return e2e::ChooseFromImageMenu(ImgList(main), keys);
  }
  std::string Pic(const std::string& name, std::uint32_t rgb, int w = 40, int h = 30) {
    const std::string p = Temp() / name;
    EXPECT_TRUE(MakeSolidPicture(p, w, h, name.substr(name.rfind('.') + 1), rgb));
    return p;
  }
};

TEST_F(MenusTest, AddFileAppendsEveryPickedFileInOrderAndCancelKeepsTheList) {
  const std::string a = Pic("a.jpg", 0xFF0000), b = Pic("b b.bmp", 0x00FF00);
  // A path longer than the old 254-character buffer (and short of the
  // 260 characters every program handles).
  std::string deep = Temp().Path();
  while (deep.size() < 200) {
    deep += "\\a rather long folder name";
    MakeFolder(deep);
  }
  const std::string farPic = deep + "\\" + std::string(250 - deep.size(), 'f') + ".gif";
  ASSERT_GT(farPic.size(), 254u);
  ASSERT_TRUE(MakeSolidPicture(farPic, 8, 8, "gif", 0x0000FF));
  WriteFileText(DefaultListPath(), a + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd);

  ASSERT_TRUE(ChooseFromButton(main, 0, {VK_DOWN, VK_RETURN}));
  HWND dlg = WaitForDialog(vd.Pid(), "Select image ...");
  ASSERT_TRUE(dlg);
  EXPECT_EQ(ControlText(dlg, 0x47c), "") << "the name box starts empty";
  AnswerFileDialog(dlg, Temp().Path());  // into the folder
  // The dialog empties its name box once it shows the folder; a name typed
  // before that would be taken in the folder it left.
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dlg, 0x47c).empty(); }, 5000));
  AnswerFileDialog(dlg, "\"b b.bmp\" \"a.jpg\"");
  ASSERT_TRUE(WaitDialogGone(dlg));
  EXPECT_TRUE(WaitUntil([&] { return Names(main).size() == 3; }, 5000));
  EXPECT_EQ(Names(main), (std::vector<std::string>{"a", "b b", "a"})) << "each picked file, in the order given";
  EXPECT_TRUE(ListFileIs(a + "\r\n" + b + "\r\n" + a + "\r\n"));

  ASSERT_TRUE(ChooseFromButton(main, 0, {VK_DOWN, VK_RETURN}));
  dlg = WaitForDialog(vd.Pid(), "Select image ...");
  ASSERT_TRUE(dlg);
  AnswerFileDialog(dlg, farPic);
  ASSERT_TRUE(WaitDialogGone(dlg));
  EXPECT_TRUE(WaitUntil([&] { return Names(main).size() == 4; }, 5000)) << "a path of " << farPic.size() << " characters";
  EXPECT_TRUE(ListFileIs(a + "\r\n" + b + "\r\n" + a + "\r\n" + farPic + "\r\n"));

  ::DeleteFileA(DefaultListPath().c_str());
  ASSERT_TRUE(ChooseFromButton(main, 0, {VK_DOWN, VK_RETURN}));
  dlg = WaitForDialog(vd.Pid(), "Select image ...");
  ASSERT_TRUE(dlg);
  PressButton(dlg, IDCANCEL);
  ASSERT_TRUE(WaitDialogGone(dlg));
  EXPECT_TRUE(WaitUntil([&] { return FileExists(DefaultListPath()); }, 5000)) << "rewritten after a cancel too";
  EXPECT_EQ(Names(main).size(), 4u);
  EXPECT_TRUE(ListFileIs(a + "\r\n" + b + "\r\n" + a + "\r\n" + farPic + "\r\n"));
}

TEST_F(MenusTest, RemoveTheSelectedEntryAndRemoveAllRewriteTheDefaultList) {
  const std::string a = Pic("a.jpg", 0xFF0000), b = Pic("b.bmp", 0x00FF00), c = Pic("c.gif", 0x0000FF, 8, 8);
  WriteFileText(DefaultListPath(), a + "\r\n" + b + "\r\n" + c + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(main);

  ChooseFromImageMenu(main, {VK_ESCAPE});  // no entry selected: no menu
  EXPECT_FALSE(WaitForPopupMenu(1000));

  ClickListItem(list, 1);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 1; }, 5000));
  ASSERT_TRUE(ChooseFromImageMenu(main, {VK_DOWN, VK_DOWN, VK_RETURN}));  // Remove 'b' from list
  EXPECT_TRUE(WaitUntil([&] { return Names(main) == std::vector<std::string>{"a", "c"}; }, 5000));
  EXPECT_TRUE(ListFileIs(a + "\r\n" + c + "\r\n"));

  ClickListItem(list, 0);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 0; }, 5000));
  ASSERT_TRUE(ChooseFromButton(main, 1, {VK_DOWN, VK_RETURN}));  // the remove button's first entry: Remove 'a'
  EXPECT_TRUE(WaitUntil([&] { return Names(main) == std::vector<std::string>{"c"}; }, 5000));
  EXPECT_TRUE(ListFileIs(c + "\r\n"));

  // The entry that took its place is selected: the first entry would remove
  // it, the second is Remove All Images, which asks first.
  ASSERT_EQ(ListBoxSelection(list), 0);
  ASSERT_TRUE(ChooseFromButton(main, 1, {VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND ask = WaitForDialog(vd.Pid(), kMainTitle);
  ASSERT_TRUE(ask);
  PressButton(ask, IDYES);
  EXPECT_TRUE(WaitUntil([&] { return Names(main).empty(); }, 5000));
  EXPECT_TRUE(ListFileIs(""));
}

TEST_F(MenusTest, SaveListAsksBeforeReplacingAndLoadListReplacesTheList) {
  const std::string a = Pic("a.jpg", 0xFF0000), b = Pic("b.bmp", 0x00FF00);
  WriteFileText(DefaultListPath(), a + "\r\n" + b + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  const std::string lists = Temp() / "My Lists";
  MakeFolder(lists);
  auto save = [&](const std::string& name) -> HWND {
    if (!ChooseFromButton(main, 2, {VK_DOWN, VK_RETURN})) return nullptr;
    HWND dlg = WaitForDialog(vd.Pid(), "Save Current list as ...");
    if (!dlg) return nullptr;
    AnswerFileDialog(dlg, name);
    WaitDialogGone(dlg);
    return dlg;
  };
  const std::string content = a + "\r\n" + b + "\r\n";

  ASSERT_TRUE(save(lists + "\\summer"));
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(lists + "\\summer.vdl") == content; }, 5000)) << ".vdl appended";
  ASSERT_TRUE(save(lists + "\\Notes.txt"));
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(lists + "\\Notes.txt.vdl") == content; }, 5000));

  // Over an existing file: No asks for another name, Cancel writes nothing.
  WriteFileText(lists + "\\summer.vdl", "old\r\n");
  ASSERT_TRUE(save(lists + "\\SUMMER.VDL"));
  HWND ask = WaitForDialog(vd.Pid(), "Save List");
  ASSERT_TRUE(ask);
  EXPECT_EQ(MessageBoxText(ask), lists + "\\SUMMER.VDLalready exists\r\nOverwrite it?");
  EXPECT_TRUE(::GetDlgItem(ask, IDYES) && ::GetDlgItem(ask, IDNO) && ::GetDlgItem(ask, IDCANCEL));
  PressButton(ask, IDNO);
  HWND again = WaitForDialog(vd.Pid(), "Save Current list as ...");
  ASSERT_TRUE(again) << "No asks for another name";
  AnswerFileDialog(again, lists + "\\summer");
  ask = WaitForDialog(vd.Pid(), "Save List");
  ASSERT_TRUE(ask);
  PressButton(ask, IDCANCEL);
  ASSERT_TRUE(WaitDialogGone(ask));
  ::Sleep(500);
  EXPECT_EQ(ReadFileText(lists + "\\summer.vdl"), "old\r\n");

  // A read-only list is replaced after Yes.
  ::SetFileAttributesA((lists + "\\summer.vdl").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(save(lists + "\\summer"));
  ask = WaitForDialog(vd.Pid(), "Save List");
  ASSERT_TRUE(ask);
  PressButton(ask, IDYES);
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(lists + "\\summer.vdl") == content; }, 5000));

  // A list held open by another program: a clear message, the old file whole.
  WriteFileText(lists + "\\locked.vdl", "kept\r\n");
  HANDLE lock = ::CreateFileA((lists + "\\locked.vdl").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(save(lists + "\\locked.vdl"));
  ask = WaitForDialog(vd.Pid(), "Save List");
  ASSERT_TRUE(ask);
  PressButton(ask, IDYES);
  HWND failed = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    failed = WaitForDialog(vd.Pid(), "Save List", 200);
    return failed && MessageBoxText(failed).find("could not be saved") != std::string::npos;
  }, 10000));
  PressButton(failed, IDOK);
  ::CloseHandle(lock);
  EXPECT_EQ(ReadFileText(lists + "\\locked.vdl"), "kept\r\n");

  // Load List replaces the list, and the default list mirrors it.
  const std::string c = Pic("c.gif", 0x0000FF, 8, 8);
  WriteFileText(lists + "\\other.vdl", c + "\r\n" + Temp().Path() + "\\missing.jpg\r\n" + a + "\r\n");
  ASSERT_TRUE(ChooseFromButton(main, 2, {VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND open = WaitForDialog(vd.Pid(), "Open Wallpapers' List");
  ASSERT_TRUE(open);
  AnswerFileDialog(open, lists + "\\other.vdl");
  EXPECT_TRUE(WaitUntil([&] { return Names(main) == std::vector<std::string>{"c", "a"}; }, 10000));
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(DefaultListPath()) == c + "\r\n" + a + "\r\n"; }, 5000));
}

// The user's own folder of that kind in this prefix.
std::string KnownFolderPath(REFKNOWNFOLDERID id) {
  PWSTR raw = nullptr;
  std::string path;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &raw))) path = Utf8(raw);
  ::CoTaskMemFree(raw);
  return path;
}

// The visible dialog of the process, whatever its title.
HWND WaitForAnyDialog(DWORD pid, int timeoutMs = 10000) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w = nullptr; (w = ::FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;) {
          DWORD owner = 0;
          ::GetWindowThreadProcessId(w, &owner);
          if (owner == pid && ::IsWindowVisible(w)) return (found = w) != nullptr;
        }
        return false;
      },
      timeoutMs);
  return found;
}

TEST_F(MenusTest, FileDialogsOpenWhereTheUserLastWasWithThatKindAlsoAfterARestart) {
  const std::string pictures = KnownFolderPath(FOLDERID_Pictures), documents = KnownFolderPath(FOLDERID_Documents);
  ASSERT_FALSE(pictures.empty());
  ASSERT_FALSE(documents.empty());
  MakeFolder(pictures);
  MakeFolder(documents);
  // Names no other test uses, removed afterwards: these folders are the prefix's own.
  const std::string inPictures = pictures + "\\vd first pick.bmp", inDocuments = documents + "\\vd first list.vdl";
  struct Cleanup {
    std::vector<std::string> files;
    ~Cleanup() {
      for (const std::string& f : files) ::DeleteFileA(f.c_str());
    }
  } cleanup{{inPictures, inDocuments}};
  ASSERT_TRUE(MakeSolidPicture(inPictures, 8, 8, "bmp", 0x808080));
  const std::string pics = Temp() / "pics", lists = Temp() / "lists";
  MakeFolder(pics);
  MakeFolder(pics + "\\sub");
  MakeFolder(lists);
  ASSERT_TRUE(MakeSolidPicture(pics + "\\one.bmp", 8, 8, "bmp", 0xFF0000));
  ASSERT_TRUE(MakeSolidPicture(pics + "\\two.bmp", 8, 8, "bmp", 0x00FF00));
  ASSERT_TRUE(MakeSolidPicture(pics + "\\three.bmp", 8, 8, "bmp", 0x0000FF));
  ASSERT_TRUE(MakeSolidPicture(pics + "\\sub\\deep.bmp", 8, 8, "bmp", 0xFFFF00));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  // A name typed without a folder is taken from the folder the dialog shows.
  auto addFile = [&](const std::string& name) {
    if (!ChooseFromButton(main, 0, {VK_DOWN, VK_RETURN})) return false;
    HWND dlg = WaitForDialog(vd.Pid(), "Select image ...");
    if (!dlg) return false;
    AnswerFileDialog(dlg, name);
    return WaitDialogGone(dlg);
  };
  auto stored = [&] { return ReadFileText(DefaultListPath()).value_or(""); };
  auto has = [&](const std::string& path) {
    return WaitUntil([&] { return stored().find(path + "\r\n") != std::string::npos; }, 5000);
  };

  // The first time in Pictures; then where the last file came from.
  ASSERT_TRUE(addFile("vd first pick.bmp"));
  EXPECT_TRUE(has(inPictures)) << stored();
  ASSERT_TRUE(addFile(pics + "\\one.bmp"));
  EXPECT_TRUE(has(pics + "\\one.bmp")) << stored();
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "LastPictureFolder"), pics);
  ASSERT_TRUE(addFile("two.bmp"));
  EXPECT_TRUE(has(pics + "\\two.bmp")) << stored();

  // Add Folder: the picker with a path box, opened in the same folder.
  ASSERT_TRUE(ChooseFromButton(main, 0, {VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND picker = WaitForAnyDialog(vd.Pid());
  ASSERT_TRUE(picker);
  EXPECT_NE(WindowText(picker), "Browse for Folder") << "the older folder tree";
  ASSERT_TRUE(FileNameBox(picker)) << "a path box";
  AnswerFolderDialog(picker, "sub");
  ASSERT_TRUE(WaitDialogGone(picker));
  EXPECT_TRUE(has(pics + "\\sub\\deep.bmp")) << stored();
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "LastPictureFolder"), pics + "\\sub");

  // Lists: the first time in Documents, then where the last list went; Load and Save share it.
  ASSERT_TRUE(ChooseFromButton(main, 2, {VK_DOWN, VK_RETURN}));
  HWND save = WaitForDialog(vd.Pid(), "Save Current list as ...");
  ASSERT_TRUE(save);
  AnswerFileDialog(save, "vd first list");
  EXPECT_TRUE(WaitUntil([&] { return FileExists(inDocuments); }, 5000)) << "saved in Documents";
  ASSERT_TRUE(ChooseFromButton(main, 2, {VK_DOWN, VK_RETURN}));
  save = WaitForDialog(vd.Pid(), "Save Current list as ...");
  ASSERT_TRUE(save);
  AnswerFileDialog(save, lists + "\\kept");
  ASSERT_TRUE(WaitUntil([&] { return FileExists(lists + "\\kept.vdl"); }, 5000));
  WriteFileText(lists + "\\short.vdl", pics + "\\three.bmp\r\n");
  ASSERT_TRUE(ChooseFromButton(main, 2, {VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND load = WaitForDialog(vd.Pid(), "Open Wallpapers' List");
  ASSERT_TRUE(load) << "a dialog open instead: \"" << WindowText(WaitForAnyDialog(vd.Pid(), 1000)) << "\"";
  AnswerFileDialog(load, "short.vdl");
  EXPECT_TRUE(WaitUntil([&] { return Names(main) == std::vector<std::string>{"three"}; }, 10000));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "LastListFolder"), lists);

  // After a restart both kinds still open where they were left.
  ::PostMessageA(main, WM_COMMAND, ids::mnuExit, 0);
  ASSERT_TRUE(ConfirmExit(vd));
  Process again = StartVd();
  main = MainWindow(again);
  ASSERT_TRUE(ChooseFromButton(main, 0, {VK_DOWN, VK_RETURN}));
  HWND dlg = WaitForDialog(again.Pid(), "Select image ...");
  ASSERT_TRUE(dlg);
  AnswerFileDialog(dlg, "deep.bmp");
  ASSERT_TRUE(WaitDialogGone(dlg));
  EXPECT_TRUE(WaitUntil([&] { return Names(main) == std::vector<std::string>{"three", "deep"}; }, 10000))
      << "added from the folder used last";
  ASSERT_TRUE(ChooseFromButton(main, 2, {VK_DOWN, VK_DOWN, VK_RETURN}));
  load = WaitForDialog(again.Pid(), "Open Wallpapers' List");
  ASSERT_TRUE(load);
  AnswerFileDialog(load, "kept.vdl");
  EXPECT_TRUE(WaitUntil([&] { return Names(main).size() == 4u; }, 10000)) << "loaded from the list folder";
}

TEST_F(MenusTest, EditPictureStartsOnlyTheSystemsEditorByItsFullPathOrSaysItCannot) {
  const std::string pic = Pic("Summer Beach.jpg", 0x3366CC);
  WriteFileText(DefaultListPath(), pic + "\r\n");
  char system[MAX_PATH];
  ::GetSystemDirectoryA(system, MAX_PATH);
  const std::string editor = std::string(system) + "\\mspaint.exe", standIn = BinDir() + "\\stand_in_editor.exe";
  ::DeleteFileA(editor.c_str());
  // An editor of the same name in the folder VD was started from is never run.
  const std::string planted = Temp() / "Downloads";
  MakeFolder(planted);
  ASSERT_TRUE(::CopyFileA(standIn.c_str(), (planted + "\\mspaint.exe").c_str(), FALSE));
  const char* const appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\mspaint.exe";
  RegDeleteKeyTree(HKEY_CURRENT_USER, appPaths);
  Process vd = Start(VdExe(), "", Temp().Path(), planted);
  ASSERT_TRUE(WaitReady(vd));
  HWND main = MainWindow(vd);
  ClickListItem(ImgList(main), 0);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(ImgList(main)) == 0; }, 5000));
  const std::string before = *ReadFileText(pic);
  const std::string record = Temp() / "mspaint-command.txt";
  auto edit = [&] {
    ::DeleteFileA(record.c_str());
    return ChooseFromImageMenu(main, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  };
  auto started = [&] {
    std::optional<std::string> cmd;
    WaitUntil([&] { return (cmd = ReadFileText(record)).has_value() && !cmd->empty(); }, 10000);
    return cmd.value_or("");
  };

  // No editor on this system: the user is told, and nothing else runs.
  ASSERT_TRUE(edit());
  HWND box = WaitForDialog(vd.Pid(), "Edit Picture");
  ASSERT_TRUE(box);
  EXPECT_NE(MessageBoxText(box).find(pic), std::string::npos);
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitDialogGone(box));
  ::Sleep(500);
  EXPECT_FALSE(FileExists(record)) << "the planted editor ran";

  // A registered editor that is gone: the one in the system folder.
  RegWrite(HKEY_CURRENT_USER, appPaths, "", Temp() / "gone\\mspaint.exe");
  ASSERT_TRUE(::CopyFileA(standIn.c_str(), editor.c_str(), FALSE));
  ASSERT_TRUE(edit());
  EXPECT_EQ(started(), "\"" + editor + "\" \"" + pic + "\"");
  ::DeleteFileA(editor.c_str());

  // The registered editor comes first.
  const std::string registered = Temp() / "Paint\\paint.exe";
  MakeFolder(Temp() / "Paint");
  ASSERT_TRUE(::CopyFileA(standIn.c_str(), registered.c_str(), FALSE));
  RegWrite(HKEY_CURRENT_USER, appPaths, "", registered);
  ASSERT_TRUE(edit());
  EXPECT_EQ(started(), "\"" + registered + "\" \"" + pic + "\"");
  RegDeleteKeyTree(HKEY_CURRENT_USER, appPaths);
  EXPECT_EQ(ReadFileText(pic), before);
}

TEST_F(MenusTest, PropertiesAndSortEntries) {
  const std::string pic = Pic("small.bmp", 0x808080, 300, 200);
  WriteFileText(DefaultListPath(), pic + "\r\n");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "SortingType", "0");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ClickListItem(ImgList(main), 0);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(ImgList(main)) == 0; }, 5000));

  ASSERT_TRUE(ChooseFromImageMenu(main, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
  HWND box = WaitForDialog(vd.Pid(), "small");
  ASSERT_TRUE(box);
  const std::string text = MessageBoxText(box);
  EXPECT_NE(text.find(pic), std::string::npos) << text;
  EXPECT_NE(text.find("300x200"), std::string::npos) << text;
  EXPECT_NE(text.find("Tiled"), std::string::npos) << text;
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitDialogGone(box));

  // Image menu > Sort list by > Name, then List menu > Sort By > Location.
  ASSERT_TRUE(ChooseFromImageMenu(main, {VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}));
  EXPECT_TRUE(WaitUntil([] { return RegRead(HKEY_CURRENT_USER, kProgramKey, "SortingType") == "1"; }, 5000));
  ASSERT_TRUE(ChooseFromButton(main, 2, {VK_UP, VK_RIGHT, VK_RETURN}));
  EXPECT_TRUE(WaitUntil([] { return RegRead(HKEY_CURRENT_USER, kProgramKey, "SortingType") == "0"; }, 5000));
  EXPECT_EQ(ListBoxItems(ImgList(main)), std::vector<std::string>{"small"}) << "the list is not reordered";
}

}  // namespace
}  // namespace e2e
