// Curating from the tray and the main window: the wallpaper's file shown in
// Explorer, the wallpaper taken out of the list, and files dropped on the
// main window.
#include "harness.h"

#include <shellapi.h>
#include <shlobj.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>

#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

// The command line a running process was started with, read from its
// process parameters; empty when it cannot be read.
std::string CommandLineOf(DWORD pid) {
  using QueryFn = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process || !query) return {};
  std::string text;
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS params{};
  if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
      ::ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) &&
      ::ReadProcessMemory(process, peb.ProcessParameters, &params, sizeof params, nullptr)) {
    std::wstring wide(params.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (::ReadProcessMemory(process, params.CommandLine.Buffer, wide.data(), params.CommandLine.Length, nullptr))
      text = Utf8(wide);
  }
  ::CloseHandle(process);
  return text;
}

// A drop as the shell delivers it when files land on a window that accepts
// them: a DROPFILES block with wide names in the receiving process's memory,
// its address as the HDROP of a posted WM_DROPFILES. Written into VD from
// here, since a handle of this process means nothing there. The block is
// fixed memory, which the system's drop functions read as they read a
// GlobalAlloc block; DragFinish cannot free it (it is no heap block), which
// Wine shrugs off: the test runs there only.
bool DropFiles(const Process& target, HWND window, const std::vector<std::string>& paths) {
  std::vector<char> block(sizeof(DROPFILES));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.pt = {60, 60};
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof header);
  for (const std::string& path : paths) {
    const std::wstring wide = Wide(path);
    const char* bytes = reinterpret_cast<const char*>(wide.c_str());
    block.insert(block.end(), bytes, bytes + (wide.size() + 1) * sizeof(wchar_t));
  }
  block.insert(block.end(), sizeof(wchar_t), '\0');
  void* remote = ::VirtualAllocEx(target.Handle(), nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  return remote && ::WriteProcessMemory(target.Handle(), remote, block.data(), block.size(), nullptr) &&
         ::PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

class CurateTest : public VdTest {
 protected:
  void SetUp() override {
    FixedStyle(2);
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");
    SweepTray();
  }
  void TearDown() override {
    for (DWORD pid : startedExplorers_) {
      if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
        ::TerminateProcess(h, 0);
        ::CloseHandle(h);
      }
    }
  }
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }
  HWND ImgList(HWND main) const { return ::GetDlgItem(main, ids::imgList); }
  std::string Pic(const std::string& name, std::uint32_t rgb) {
    const std::string p = Temp() / name;
    EXPECT_TRUE(MakeSolidPicture(p, 64, 48, name.substr(name.rfind('.') + 1), rgb));
    return p;
  }
  // Opens the tray menu and picks an entry by its underlined letter.
  static bool ChooseTrayLetter(HWND main, WPARAM letter) {
    PostTrayMessage(main, WM_RBUTTONDOWN);
    PostTrayMessage(main, WM_RBUTTONUP);
    HWND menu = WaitForPopupMenu();
    if (!menu) return false;
    MenuKeys(menu, {letter});
    return WaitNoPopupMenu();
  }
  // The command line of the next Explorer started after before was taken.
  std::string NewExplorerCommandLine(const std::vector<DWORD>& before) {
    std::string line;
    WaitUntil([&] {
      for (DWORD pid : ProcessIdsOf("explorer.exe")) {
        if (std::find(before.begin(), before.end(), pid) != before.end()) continue;
        if (std::find(startedExplorers_.begin(), startedExplorers_.end(), pid) == startedExplorers_.end())
          startedExplorers_.push_back(pid);
        line = CommandLineOf(pid);
        if (!line.empty()) return true;
      }
      return false;
    }, 10000, 50);
    return line;
  }
  // The message comes instead of Explorer, so none can start after it.
  static bool NoNewExplorer(const std::vector<DWORD>& before) {
    for (DWORD pid : ProcessIdsOf("explorer.exe"))
      if (std::find(before.begin(), before.end(), pid) == before.end()) return false;
    return true;
  }
  // The wallpaper bitmap written anew, and its colour, once the change that
  // wrote it has ended (a change asked for before then would join it).
  std::optional<std::uint32_t> NextWallpaperColour() {
    std::optional<Bitmap> bmp;
    if (!WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 15000, 50)) return std::nullopt;
    for (const DWORD pid : ProcessIdsOf("VD.exe"))
      WaitUntil([pid] { return !FindProcessWindow(pid, kFormClass, kWaitTitle); }, 10000);
    return bmp->At(10, 10);
  }

  std::vector<DWORD> startedExplorers_;
};

TEST_F(CurateTest, TrayShowsTheWallpaperInExplorerAndRemovesItThenChangesToTheNext) {
  const std::string a = Pic("alpha.bmp", 0xC02020), b = Pic("beta.bmp", 0x20C020), c = Pic("gamma.bmp", 0x2020C0);
  WriteFileText(DefaultListPath(), a + "\r\n" + b + "\r\n" + c + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(main);

  // Nothing put on the desktop yet: a message says so, and no Explorer starts.
  std::vector<DWORD> before = ProcessIdsOf("explorer.exe");
  ASSERT_TRUE(ChooseTrayLetter(main, 'F'));
  HWND box = WaitForDialog(vd.Pid(), "Show Picture in Folder");
  ASSERT_TRUE(box);
  EXPECT_NE(MessageBoxText(box).find("has not changed the wallpaper"), std::string::npos);
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitDialogGone(box));
  EXPECT_TRUE(NoNewExplorer(before));

  // A change puts the first picture up; the tray shows its file in Explorer,
  // started by its full path in the Windows folder with the file selected.
  ASSERT_TRUE(ChooseTrayEntry(main, 2));  // Change Wallpaper
  auto colour = NextWallpaperColour();
  ASSERT_TRUE(colour);
  EXPECT_LT(ColourDistance(*colour, 0xC02020), 24);
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  before = ProcessIdsOf("explorer.exe");
  ASSERT_TRUE(ChooseTrayLetter(main, 'F'));
  EXPECT_EQ(NewExplorerCommandLine(before), "\"" + std::string(windows) + "\\explorer.exe\" /select,\"" + a + "\"");

  // The next change shows the second picture. Remove This Picture: its entry
  // leaves the list and the list file, and the one after it becomes the
  // wallpaper; the picture file stays on disk.
  ::DeleteFileA(BitmapPath().c_str());
  ASSERT_TRUE(ChooseTrayEntry(main, 2));
  colour = NextWallpaperColour();
  ASSERT_TRUE(colour);
  ASSERT_LT(ColourDistance(*colour, 0x20C020), 24);
  ::DeleteFileA(BitmapPath().c_str());
  ASSERT_TRUE(ChooseTrayLetter(main, 'R'));
  colour = NextWallpaperColour();
  ASSERT_TRUE(colour);
  EXPECT_LT(ColourDistance(*colour, 0x2020C0), 24) << "the picture after the removed one";
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"alpha", "gamma"}));
  EXPECT_EQ(ListBoxSelection(list), 1);
  EXPECT_TRUE(ListFileIs(a + "\r\n" + c + "\r\n"));
  EXPECT_TRUE(FileExists(b));

  // The image menu's Show in Folder: the selected entry's file.
  ClickListItem(list, 0);
  ASSERT_TRUE(WaitUntil([&] { return ListBoxSelection(list) == 0; }, 5000));
  before = ProcessIdsOf("explorer.exe");
  ASSERT_TRUE(ChooseFromImageMenu(list, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
  EXPECT_EQ(NewExplorerCommandLine(before), "\"" + std::string(windows) + "\\explorer.exe\" /select,\"" + a + "\"");

  // Ended and started again, VD has put nothing up yet, but the desktop
  // still shows its bitmap: the picture is the one the kept history names.
  ASSERT_TRUE(ChooseTrayEntry(main, 9));  // Exit
  ASSERT_TRUE(ConfirmExit(vd));
  Process again = StartVd();
  main = MainWindow(again);
  before = ProcessIdsOf("explorer.exe");
  ASSERT_TRUE(ChooseTrayLetter(main, 'F'));
  EXPECT_EQ(NewExplorerCommandLine(before), "\"" + std::string(windows) + "\\explorer.exe\" /select,\"" + c + "\"");

  // The wallpaper's file deleted: Show Picture in Folder says it is gone.
  ASSERT_TRUE(::DeleteFileA(c.c_str()));
  before = ProcessIdsOf("explorer.exe");
  ASSERT_TRUE(ChooseTrayLetter(main, 'F'));
  box = WaitForDialog(again.Pid(), "Show Picture in Folder");
  ASSERT_TRUE(box);
  EXPECT_NE(MessageBoxText(box).find(c), std::string::npos);
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitDialogGone(box));
  EXPECT_TRUE(NoNewExplorer(before));
}

TEST_F(CurateTest, DroppedPicturesAndFolderAreAddedOtherFilesToldAndAListReplacesOnYes) {
  const std::string a = Pic("drop a.jpg", 0xC02020), b = Pic("drop b.bmp", 0x20C020);
  MakeFolder(Temp() / "album");
  const std::string inner = Pic("album\\inner.gif", 0x2020C0);
  const std::string notes = Temp() / "notes.txt";
  WriteFileText(notes, "not a picture");
  // A picture whose path is past what the file functions open: skipped and
  // told, not cut short.
  std::wstring longFolder = L"\\\\?\\" + Wide(Temp().Path()) + L"\\" + std::wstring(200, L'd');
  const std::wstring longPic = longFolder + L"\\" + std::wstring(80, L'p') + L".bmp";
  // Removed here: the temporary folder's own clean-up cannot reach that far.
  struct LongPathGone {
    std::wstring folder, file;
    ~LongPathGone() {
      ::DeleteFileW(file.c_str());
      ::RemoveDirectoryW(folder.c_str());
    }
  } gone{longFolder, longPic};
  ASSERT_TRUE(::CreateDirectoryW(longFolder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  const std::string bmp = MakeBmp(4, 4, 0, 0, 255);
  HANDLE f = ::CreateFileW(longPic.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  ::WriteFile(f, bmp.data(), static_cast<DWORD>(bmp.size()), &put, nullptr);
  ::CloseHandle(f);
  const std::string longPath = Utf8(longPic.substr(4));
  ASSERT_GT(longPath.size(), 260u);

  const std::string first = Pic("first.bmp", 0x808080);
  WriteFileText(DefaultListPath(), first + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(main);
  ASSERT_EQ(::GetWindowLongPtrA(main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES);

  ASSERT_TRUE(DropFiles(vd, main, {a, notes, Temp() / "album", longPath, b}));
  HWND box = WaitForDialog(vd.Pid(), "Vexa Desktop");
  ASSERT_TRUE(box) << "the skipped files are told";
  EXPECT_EQ(MessageBoxText(box), "1 file skipped: not a picture\r\n1 file skipped: path longer than 259 characters");
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitDialogGone(box));
  EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"first", "drop a", "drop b", "inner"}));
  // The dropped folder is watched from now on, with its subfolders.
  EXPECT_TRUE(ListFileIs(first + "\r\n" + a + "\r\n" + b + "\r\n" + inner + "\r\n" + Temp() / "album" + "\\**\r\n"));

  // A list file dropped asks first; No keeps the list, Yes replaces it.
  const std::string saved = Temp() / "Saved.vdl";
  WriteFileText(saved, inner + "\r\n" + first + "\r\n");
  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(DropFiles(vd, main, {saved}));
    box = WaitForDialog(vd.Pid(), "Vexa Desktop");
    ASSERT_TRUE(box);
    EXPECT_EQ(MessageBoxText(box), "Replace the list with Saved.vdl?");
    PressButton(box, answer);
    ASSERT_TRUE(WaitDialogGone(box));
    if (answer == IDNO) {
      ASSERT_TRUE(Answers(main));
      EXPECT_EQ(ListBoxItems(list).size(), 4u);
    }
  }
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(list) == std::vector<std::string>{"inner", "first"}; }, 5000));
  EXPECT_TRUE(ListFileIs(inner + "\r\n" + first + "\r\n"));
  EXPECT_TRUE(vd.Running());
}

// 10,000 files in one drop: looked at off the window's thread, taken in as
// one batch, one message for all that is skipped; the window answers
// throughout. (1,000 files, each named ten times: creating and removing
// 10,000 files would take the test most of its time under Wine.)
TEST_F(CurateTest, ADropOfTenThousandFilesKeepsTheWindowAnsweringAndGivesOneMessage) {
  const std::string bmp = MakeBmp(2, 2, 10, 20, 30);
  MakeFolder(Temp() / "many");
  std::vector<std::string> files;
  for (int i = 0; i < 1000; ++i) {
    files.push_back(Temp() / ("many\\f" + std::to_string(i) + (i % 2 == 0 ? ".bmp" : ".txt")));
    WriteFileText(files.back(), i % 2 == 0 ? bmp : std::string("text"));
  }
  std::vector<std::string> dropped;
  for (int round = 0; round < 10; ++round) dropped.insert(dropped.end(), files.begin(), files.end());
  const std::string first = Pic("first.bmp", 0x808080);
  WriteFileText(DefaultListPath(), first + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(main);

  ASSERT_TRUE(DropFiles(vd, main, dropped));
  HWND box = nullptr;
  bool answered = true;
  ASSERT_TRUE(WaitUntil([&] {
    answered = answered && Answers(main, 3000);
    return (box = FindProcessWindow(vd.Pid(), "#32770", "Vexa Desktop")) != nullptr;
  }, 60000, 50));
  EXPECT_TRUE(answered) << "the window kept answering during the drop";
  EXPECT_EQ(MessageBoxText(box), "5000 files skipped: not a picture");
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitDialogGone(box));
  const std::vector<std::string> items = ListBoxItems(list);
  ASSERT_EQ(items.size(), 5001u);
  EXPECT_EQ(items[1], "f0");
  EXPECT_EQ(items[5000], "f998");
  // No second message follows.
  ::Sleep(500);
  EXPECT_EQ(FindProcessWindow(vd.Pid(), "#32770", "Vexa Desktop"), nullptr);
}

}  // namespace
}  // namespace e2e
