// The settings dialog, the global hot key, the desktop icon captions and the
// About box, driven as a user would: message boxes answered, list entries
// clicked, keys pressed for real, the shell's icon view stood in for.
// Longer than 500 lines: the hot key, desktop icon and dialog fixtures all
// build on the stand-in desktop and the message-box helpers below.
#include "harness.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "dialogs/dialog_ids.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

constexpr const char* kSettingsTitle = "Settings: Vexa Desktop v1.1";
constexpr const char* kExampleTitle = "Transparent Icon Example";
constexpr const char* kAboutTitle = "About: Vexa Desktop";

std::optional<std::string> ProgramValue(const char* name) { return RegRead(HKEY_CURRENT_USER, kProgramKey, name); }

// The message box titled title of process pid: its text, after pressing button.
std::string Answer(DWORD pid, const char* title, int button, int timeoutMs = 10000) {
  HWND box = WaitForProcessWindow(pid, "#32770", title, timeoutMs);
  if (!box) return "<no message box " + std::string(title) + ">";
  std::string text = ControlText(box, 0xFFFF);
  ::PostMessageA(::GetDlgItem(box, button), BM_CLICK, 0, 0);
  WaitUntil([&] { return !::IsWindow(box); }, 5000);
  return text;
}

// A click on a button or check box, posted: the handler may open a message box.
void Click(HWND dialog, int id) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }


// A left click on a label or picture (STN_CLICKED comes from the mouse).
void ClickControl(HWND dialog, int id) {
  HWND c = ::GetDlgItem(dialog, id);
  ::PostMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  ::PostMessageA(c, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

// Counts the pixels of exactly one colour (0x00RRGGBB) inside a window.
int PixelsOfColour(HWND w, std::uint32_t rgb) {
  RECT r;
  ::GetWindowRect(w, &r);
  int n = 0;
  HDC screen = ::GetDC(nullptr);
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      COLORREF c = ::GetPixel(screen, x, y);
      if (((static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c)) == rgb) ++n;
    }
  }
  ::ReleaseDC(nullptr, screen);
  return n;
}

// Ends the stand-in programs a test started.
void EndProcessesNamed(const char* exeName) {
  for (DWORD pid : ProcessIdsOf(exeName)) {
    if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
      ::TerminateProcess(h, 0);
      ::WaitForSingleObject(h, 5000);
      ::CloseHandle(h);
    }
  }
}

bool Checked(HWND dialog, int id) {
  DWORD_PTR r = 0;
  ::SendMessageTimeoutA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 3000, &r);
  return r == BST_CHECKED;
}

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// A real key press, as the keyboard would send it.
void PressKey(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, in, sizeof(INPUT));
}

// The control that has the keyboard focus in window's thread.
HWND FocusIn(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// The colour the screen shows in the middle of a control.
std::uint32_t ControlCentrePixel(HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  return ScreenPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}


// The shell's desktop windows, stood in for: Wine has none. "Progman" /
// "Program Manager" holds "SHELLDLL_DefView" with a real list view, or, as
// after the system has animated a wallpaper change, a "WorkerW" holds it and
// "Progman" stays empty. They live on a thread of their own that answers
// VD's messages.
class StandInDesktop {
 public:
  enum Host { kProgman, kWorkerW };
  explicit StandInDesktop(Host host) {
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, host, ready] { Run(host, ready); });
    ::WaitForSingleObject(ready, 10000);
    ::CloseHandle(ready);
  }
  ~StandInDesktop() {
    ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND progman = nullptr, workerW = nullptr, defView = nullptr, listView = nullptr;

  COLORREF TextBkColour() const { return Query(LVM_GETTEXTBKCOLOR); }
  COLORREF TextColour() const { return Query(LVM_GETTEXTCOLOR); }
  // The shell stops answering for a while, as a hung Explorer does.
  void Hang(DWORD ms) const { ::PostThreadMessageA(threadId_, WM_APP, ms, 0); }
  void SetTextBkColour(COLORREF c) const {
    DWORD_PTR r = 0;
    ::SendMessageTimeoutA(listView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(c), SMTO_ABORTIFHUNG, 3000, &r);
  }

 private:
  COLORREF Query(UINT msg) const {
    DWORD_PTR r = 0;
    ::SendMessageTimeoutA(listView, msg, 0, 0, SMTO_ABORTIFHUNG, 3000, &r);
    return static_cast<COLORREF>(r);
  }
  void Run(Host host, HANDLE ready) {
    threadId_ = ::GetCurrentThreadId();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    for (const char* cls : {"Progman", "WorkerW", "SHELLDLL_DefView"}) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = ::DefWindowProcA;
      wc.hInstance = ::GetModuleHandleA(nullptr);
      wc.lpszClassName = cls;
      ::RegisterClassA(&wc);
    }
    // Small and out of the way: the tests look at the wallpaper elsewhere.
    progman = ::CreateWindowExA(WS_EX_TOOLWINDOW, "Progman", "Program Manager", WS_POPUP | WS_VISIBLE, 1000, 740, 20,
                                20, nullptr, nullptr, nullptr, nullptr);
    HWND parent = progman;
    if (host == kWorkerW) {
      workerW = ::CreateWindowExA(WS_EX_TOOLWINDOW, "WorkerW", "", WS_POPUP | WS_VISIBLE, 980, 740, 20, 20, nullptr,
                                  nullptr, nullptr, nullptr);
      parent = workerW;
    }
    defView = ::CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, parent, nullptr,
                                nullptr, nullptr);
    listView = ::CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 20, 20, defView,
                                 nullptr, nullptr, nullptr);
    ::SetEvent(ready);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_APP) ::Sleep(static_cast<DWORD>(msg.wParam));
      ::DispatchMessageA(&msg);
    }
    if (workerW) ::DestroyWindow(workerW);
    ::DestroyWindow(progman);
  }
  std::thread thread_;
  DWORD threadId_ = 0;
};

// Holds a key for this test program, as another program would.
class HeldHotKey {
 public:
  explicit HeldHotKey(UINT vk, UINT mods = 0) { held_ = ::RegisterHotKey(nullptr, 0x5151, mods, vk) != FALSE; }
  ~HeldHotKey() { Release(); }
  bool Held() const { return held_; }
  void Release() {
    if (held_) ::UnregisterHotKey(nullptr, 0x5151);
    held_ = false;
  }

 private:
  bool held_ = false;
};

class SettingsTest : public VdTest {
 protected:
  std::string BitmapPath() const { return Temp().Path() + "\\Vexa Desktop.bmp"; }

  // Two pictures in the default list, no automatic change at start.
  void TwoPicturesNoCycling() {
    const std::string a = Temp() / "a.bmp", b = Temp() / "b.bmp";
    ASSERT_TRUE(MakeSolidPicture(a, 16, 16, "bmp", 0xCC3333));
    ASSERT_TRUE(MakeSolidPicture(b, 16, 16, "bmp", 0x3333CC));
    WriteFileText(DefaultListPath(), a + "\r\n" + b + "\r\n");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "0");
  }

  HWND SettingsWindow(const Process& vd, int timeoutMs = 10000) { return VisibleWindow(vd, kSettingsTitle, timeoutMs); }
  // A form once it is shown: before that its controls may not exist yet.
  static HWND VisibleWindow(const Process& vd, const char* title, int timeoutMs = 10000) {
    HWND w = nullptr;
    WaitUntil([&] { return IsVisible(w = FindProcessWindow(vd.Pid(), kFormClass, title)); }, timeoutMs);
    return IsVisible(w) ? w : nullptr;
  }
};

TEST_F(SettingsTest, HeldHotKeyAsksForAnotherKeyAndTheDialogRegistersItAgain) {
  TwoPicturesNoCycling();
  HeldHotKey other(VK_F7);
  ASSERT_TRUE(other.Held());
  Process vd = StartVd("", false);
  EXPECT_EQ(Answer(vd.Pid(), "Error", IDYES),
            "Hotkey 'F7' could not be registered for Vexa Desktop\r\n\r\nDo you want to select another key?");
  HWND dlg = SettingsWindow(vd);
  ASSERT_TRUE(dlg) << "Yes opens the settings dialog";
  ASSERT_TRUE(WaitReady(vd));
  EXPECT_TRUE(IsVisible(dlg));
  EXPECT_FALSE(IsVisible(MainWindow(vd)));
  EXPECT_EQ(ControlText(dlg, ids::lblHot), "Selected keys:F7");
  EXPECT_FALSE(Enabled(dlg, ids::cmdApply)) << "nothing changed yet";
  HWND keys = ::GetDlgItem(dlg, ids::cmbKey);
  EXPECT_EQ(ListBoxItems(::GetDlgItem(dlg, ids::cmbMod)), (std::vector<std::string>{"", "Alt", "Ctrl", "Shift"}));
  EXPECT_EQ(ListBoxItems(keys).size(), 48u);

  // The other program lets go; picking another key and the first one again
  // still counts as a change of the hot key.
  other.Release();
  ClickListItem(keys, 5);
  EXPECT_TRUE(WaitUntil([&] { return ControlText(dlg, ids::lblHot) == "Selected keys:F6"; }, 3000));
  EXPECT_TRUE(Enabled(dlg, ids::cmdApply));
  ClickListItem(keys, 6);
  EXPECT_TRUE(WaitUntil([&] { return ControlText(dlg, ids::lblHot) == "Selected keys:F7"; }, 3000));

  const auto before = std::chrono::steady_clock::now();
  Click(dlg, ids::cmdApply);
  HWND success = WaitForProcessWindow(vd.Pid(), "#32770", "Success!", 10000);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
  std::printf("[ measure ] Apply up to the hot-key message box: %lld ms\n", static_cast<long long>(ms.count()));
  EXPECT_EQ(Answer(vd.Pid(), "Success!", IDOK), "Hotkey 'F7' successfully registered for Vexa Desktop");
  ASSERT_TRUE(success);
  EXPECT_TRUE(WaitUntil([&] { return !Enabled(dlg, ids::cmdApply); }, 3000)) << "Apply is done";
  EXPECT_EQ(ProgramValue("Hot Modifier"), "0");
  EXPECT_EQ(ProgramValue("Hot Combi"), "6");
  EXPECT_EQ(ProgramValue("SortingType"), "0");
  EXPECT_EQ(ProgramValue("Icon ForeGround"), "16777215");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kRunKey, "Vexa Desktop"), std::nullopt) << "off writes no command";

  // F7 pressed for real changes the wallpaper although cycling is disabled.
  ::DeleteFileA(BitmapPath().c_str());
  PressKey(VK_F7);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 15000)) << "the hot key changed the wallpaper";
  EXPECT_EQ(ControlText(MainWindow(vd), ids::lblTime), "Disabled");
  EXPECT_FALSE(HeldHotKey(VK_F7).Held()) << "VD holds F7 now";
}

TEST_F(SettingsTest, PreviousKeyHeldElsewhereIsReportedThenChosenBesideTheChangeKeyStoredAndPressed) {
  TwoPicturesNoCycling();
  // Another program holds the change key with Shift, the previous key's default.
  HeldHotKey other(VK_F7, MOD_SHIFT);
  ASSERT_TRUE(other.Held());
  Process vd = StartVd("", false);
  EXPECT_EQ(Answer(vd.Pid(), "Error", IDYES),
            "Hotkey 'Shift+F7' could not be registered for Vexa Desktop\r\n\r\nDo you want to select another key?");
  HWND dlg = SettingsWindow(vd);
  ASSERT_TRUE(dlg) << "Yes opens the settings dialog";
  ASSERT_TRUE(WaitReady(vd));
  EXPECT_EQ(ControlText(dlg, ids::lblHot), "Selected keys:F7");
  EXPECT_EQ(ControlText(dlg, ids::lblPrevHot), "Previous Wallpaper:Shift+F7");
  HWND mods = ::GetDlgItem(dlg, ids::cmbPrevMod), keys = ::GetDlgItem(dlg, ids::cmbPrevKey);
  EXPECT_EQ(ListBoxItems(mods), (std::vector<std::string>{"", "Alt", "Ctrl", "Ctrl+Alt", "Shift", "Alt+Shift",
                                                          "Ctrl+Shift", "Ctrl+Alt+Shift"}));
  EXPECT_EQ(ListBoxSelection(mods), 4);
  EXPECT_EQ(ListBoxSelection(keys), 6);
  EXPECT_FALSE(Enabled(dlg, ids::cmdApply));
  // Beside the change key, in the same frame, inside the dialog.
  RECT frame{}, list{};
  ::GetWindowRect(::GetDlgItem(dlg, ids::fraHotKey), &frame);
  ::GetWindowRect(keys, &list);
  EXPECT_TRUE(list.left >= frame.left && list.right <= frame.right && list.bottom <= frame.bottom);

  // Ctrl+F8 instead: stored under its own names; only the change key's
  // registration says "Success!", so nothing is asked.
  ClickListItem(mods, 2);
  ClickListItem(keys, 7);
  EXPECT_TRUE(WaitUntil([&] { return ControlText(dlg, ids::lblPrevHot) == "Previous Wallpaper:Ctrl+F8"; }, 3000));
  EXPECT_TRUE(Enabled(dlg, ids::cmdApply));
  Click(dlg, ids::cmdApply);
  EXPECT_TRUE(WaitUntil([&] { return !Enabled(dlg, ids::cmdApply); }, 5000)) << "Apply is done";
  EXPECT_EQ(ProgramValue("Previous Hot Modifiers"), "2");
  EXPECT_EQ(ProgramValue("Previous Hot Combi"), "7");
  EXPECT_EQ(ProgramValue("Hot Combi"), "6");
  EXPECT_FALSE(FindProcessWindow(vd.Pid(), "#32770", "Error")) << "Ctrl+F8 registered";
  Click(dlg, ids::cmdCancel);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dlg); }, 5000));

  // Two changes with F7, then Ctrl+F8 goes back to the first picture.
  auto nextColour = [&] {
    std::optional<Bitmap> bmp;
    WaitUntil([&] { return (bmp = ReadBmp(BitmapPath())).has_value(); }, 15000, 50);
    ::DeleteFileA(BitmapPath().c_str());
    // The change has ended: another asked for while it runs would join it.
    WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 10000);
    return bmp ? bmp->At(0, 0) : 0xFFFFFFFFu;
  };
  PressKey(VK_F7);
  const std::uint32_t first = nextColour();
  ::Sleep(400);  // a separate press, not a repeat
  PressKey(VK_F7);
  const std::uint32_t second = nextColour();
  ASSERT_NE(first, 0xFFFFFFFFu);
  ASSERT_NE(second, 0xFFFFFFFFu);
  EXPECT_NE(first, second);
  ::Sleep(400);
  INPUT in[4] = {};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[3].ki.wVk = VK_CONTROL;
  in[1].ki.wVk = in[2].ki.wVk = VK_F8;
  in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(4, in, sizeof(INPUT));
  EXPECT_EQ(nextColour(), first) << "the previous key showed the picture before";
  EXPECT_FALSE(HeldHotKey(VK_F8, MOD_CONTROL).Held()) << "VD holds Ctrl+F8 now";
}

TEST_F(SettingsTest, EachPressOrChangeCommandGivesOneChangeHowEverRepeatedOrHeld) {
  // In list order, so the selected entry counts the changes: a big picture
  // (its change takes a second or more) and small ones of other colours.
  FixedStyle(2);
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");
  const std::string big = Temp() / "big.jpg", small1 = Temp() / "one.bmp", small2 = Temp() / "two.bmp";
  ASSERT_TRUE(MakeLargeJpeg(big, 6000, 4500, 0x3060A0));
  ASSERT_TRUE(MakeSolidPicture(small1, 16, 16, "bmp", 0xCC3333));
  ASSERT_TRUE(MakeSolidPicture(small2, 16, 16, "bmp", 0x33CC33));
  WriteFileText(DefaultListPath(), big + "\r\n" + small1 + "\r\n" + big + "\r\n" + small2 + "\r\n");
  Process vd = StartVd();
  HWND main = MainWindow(vd), list = ::GetDlgItem(main, ids::imgList);
  // Waits until every change asked for has ended and a while has passed without another.
  auto settled = [&] {
    int quiet = 0;
    WaitUntil([&] {
      quiet = FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle) || ::IsWindowEnabled(main) == FALSE ? 0 : quiet + 1;
      return quiet >= 30;
    }, 30000, 100);
    return ListBoxSelection(list);
  };
  auto shown = [&] { return ReadBmp(BitmapPath()).value_or(Bitmap{}); };

  // Two presses 150 ms apart, the second while the big picture is changing.
  PressKey(VK_F7);
  ::Sleep(150);
  PressKey(VK_F7);
  EXPECT_EQ(settled(), 0) << "two presses during one change gave two changes";
  ASSERT_FALSE(shown().pixels.empty());
  EXPECT_LE(ColourDistance(shown().At(512, 384), 0x3060A0), 24);

  // The key held for two seconds, auto-repeating as a keyboard does.
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VK_F7;
  for (int i = 0; i < 20; ++i) {
    ::SendInput(1, &in, sizeof in);
    ::Sleep(100);
  }
  in.ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(1, &in, sizeof in);
  EXPECT_EQ(settled(), 1) << "a held key is one press";
  EXPECT_LE(ColourDistance(shown().At(512, 384), 0xCC3333), 24);

  // "Change Wallpaper" chosen again while the change it started runs.
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  ::Sleep(150);
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  EXPECT_EQ(settled(), 2) << "a change command during a change gave a second change";
  EXPECT_LE(ColourDistance(shown().At(512, 384), 0x3060A0), 24);

  // A press while the window's own file dialog is open waits for the dialog
  // (never runs inside it) and leaves the window disabled under it.
  ::PostMessageA(main, WM_COMMAND, ids::mnuAFiles, 0);
  HWND open = WaitForDialog(vd.Pid(), "Select image ...");
  ASSERT_TRUE(open);
  ASSERT_FALSE(::IsWindowEnabled(main));
  ASSERT_TRUE(::DeleteFileA(BitmapPath().c_str()));
  PressKey(VK_F7);
  EXPECT_FALSE(WaitUntil([&] { return FileExists(BitmapPath()); }, 3000)) << "changed inside the dialog";
  EXPECT_FALSE(::IsWindowEnabled(main)) << "enabled under its open dialog";
  PressButton(open, IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 15000)) << "the press was lost";
  EXPECT_EQ(settled(), 3);
  EXPECT_TRUE(::IsWindowEnabled(main));
}

TEST_F(SettingsTest, SeparatePressesSoonAfterAChangeEachChangeAndAHeldKeyChangesOnce) {
  FixedStyle(2);
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Randomize", "0");
  const std::uint32_t colours[] = {0xCC3333, 0x33CC33, 0x3333CC, 0xCCCC33, 0x33CCCC};
  std::string list;
  for (int i = 0; i < 5; ++i) {
    const std::string pic = Temp() / ("p" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(MakeSolidPicture(pic, 16, 16, "bmp", colours[i]));
    list += pic + "\r\n";
  }
  WriteFileText(DefaultListPath(), list);
  Process vd = StartVd();
  HWND main = MainWindow(vd), lb = ::GetDlgItem(main, ids::imgList);
  // The change to entry i has ended and shows.
  auto changedTo = [&](int i) {
    return WaitUntil(
        [&] {
          const std::optional<Bitmap> bmp = ReadBmp(BitmapPath());
          return ListBoxSelection(lb) == i && bmp && ColourDistance(bmp->At(512, 384), colours[i]) <= 24 &&
                 !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle) && ::IsWindowEnabled(main);
        },
        10000, 10);
  };

  // Each press 0.3 s after the change before it has ended is a change of its own.
  for (int i = 0; i < 3; ++i) {
    if (i > 0) ::Sleep(300);
    PressKey(VK_F7);
    ASSERT_TRUE(changedTo(i)) << "press " << i << " was swallowed: " << ListBoxSelection(lb);
  }

  // Held for two seconds, auto-repeating every 33 ms as a keyboard does: one change.
  ::Sleep(300);
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VK_F7;
  for (int i = 0; i < 60; ++i) {
    ::SendInput(1, &in, sizeof in);
    ::Sleep(33);
  }
  in.ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(1, &in, sizeof in);
  EXPECT_TRUE(changedTo(3));
  ::Sleep(1500);
  EXPECT_EQ(ListBoxSelection(lb), 3) << "a held key is one press";
}

TEST_F(SettingsTest, UnusableStoredChoicesAreNeverRegisteredAndTheDialogOffersDefaults) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Hot Modifier", "abc");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Hot Combi", "99");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "SortingType", "7");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Icon ForeGround", "-1");
  {
    // A value of the wrong type reads as absent: its default.
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kProgramKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    const BYTE bytes[3] = {1, 2, 3};
    ::RegSetValueExA(k, "Randomize", 0, REG_BINARY, bytes, sizeof bytes);
    ::RegCloseKey(k);
  }
  Process vd = StartVd("", false);
  // The indexes name no key: nothing is registered, and the user is asked.
  EXPECT_EQ(Answer(vd.Pid(), "Error", IDYES),
            "Hotkey '' could not be registered for Vexa Desktop\r\n\r\nDo you want to select another key?");
  HWND dlg = SettingsWindow(vd);
  ASSERT_TRUE(dlg);
  ASSERT_TRUE(WaitReady(vd));
  EXPECT_TRUE(HeldHotKey(VK_F7).Held()) << "VD took no key";
  EXPECT_EQ(ListBoxSelection(::GetDlgItem(dlg, ids::cmbMod)), 0);
  EXPECT_EQ(ListBoxSelection(::GetDlgItem(dlg, ids::cmbKey)), 6);
  EXPECT_EQ(ControlText(dlg, ids::lblHot), "Selected keys:F7");
  EXPECT_TRUE(Checked(dlg, ids::STypeBase));
  EXPECT_FALSE(Checked(dlg, ids::STypeBase + 1));
  EXPECT_TRUE(Checked(dlg, ids::chkOptionBase + 6)) << "Randomize of the wrong type reads as its default";
  EXPECT_EQ(ControlCentrePixel(::GetDlgItem(dlg, ids::IconCol)), 0xFFFFFFu) << "a colour of -1 shows as white";
  EXPECT_TRUE(Enabled(dlg, ids::cmdApply)) << "what the dialog shows differs from what is stored";

  // OK stores what the dialog shows and registers the key.
  Click(dlg, ids::cmdSave);
  EXPECT_EQ(Answer(vd.Pid(), "Success!", IDOK), "Hotkey 'F7' successfully registered for Vexa Desktop");
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dlg); }, 5000)) << "OK closes the dialog";
  EXPECT_EQ(ProgramValue("Hot Modifier"), "0");
  EXPECT_EQ(ProgramValue("Hot Combi"), "6");
  EXPECT_EQ(ProgramValue("SortingType"), "0");
  EXPECT_EQ(ProgramValue("Icon ForeGround"), "16777215");
  EXPECT_EQ(ProgramValue("Randomize"), "1");
  EXPECT_FALSE(IsVisible(MainWindow(vd))) << "the main window was not open, so it stays hidden";
  EXPECT_TRUE(vd.Running());
}


class DesktopIconsTest : public SettingsTest {
 protected:
  // One picture, cycling on with "at startup": the wallpaper changes once at
  // start and every later tick changes nothing.
  void OneChangeAtStart(const char* showIcons) {
    const std::string a = Temp() / "a.bmp";
    ASSERT_TRUE(MakeSolidPicture(a, 16, 16, "bmp", 0x33CC33));
    WriteFileText(DefaultListPath(), a + "\r\n");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Wallpaper Cycle Time", "5");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "0");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "Icon ForeGround", "255");
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowIcons", showIcons);
  }
};

TEST_F(DesktopIconsTest, CaptionsAreRenewedAfterTheChangeAndOnTicksThatChangeNothing) {
  StandInDesktop desktop(StandInDesktop::kProgman);
  ASSERT_TRUE(desktop.listView);
  OneChangeAtStart("1");
  Process vd = StartVd();
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 15000));
  EXPECT_TRUE(WaitUntil([&] { return desktop.TextBkColour() == CLR_NONE; }, 5000))
      << std::hex << desktop.TextBkColour();
  EXPECT_EQ(desktop.TextColour(), RGB(255, 0, 0));
  EXPECT_TRUE(IsVisible(desktop.progman));

  // The shell redraws the captions opaque; the next tick of the cycle timer
  // (every 10 seconds) makes them transparent again, without a change.
  const auto written = [&] {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    ::GetFileAttributesExA(BitmapPath().c_str(), GetFileExInfoStandard, &d);
    return (static_cast<unsigned long long>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
  };
  const auto firstWrite = written();
  desktop.SetTextBkColour(RGB(1, 2, 3));
  ASSERT_EQ(desktop.TextBkColour(), RGB(1, 2, 3));
  EXPECT_TRUE(WaitUntil([&] { return desktop.TextBkColour() == CLR_NONE; }, 25000, 100));
  EXPECT_EQ(written(), firstWrite) << "the tick changed no wallpaper";
}

TEST_F(DesktopIconsTest, IconsInAWorkerWAreColouredAndHiddenThere) {
  StandInDesktop desktop(StandInDesktop::kWorkerW);
  ASSERT_TRUE(desktop.listView);
  OneChangeAtStart("0");
  Process vd = StartVd();
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 15000));
  EXPECT_TRUE(WaitUntil([&] { return !IsVisible(desktop.workerW); }, 5000)) << "the window holding the icons is hidden";
  EXPECT_TRUE(IsVisible(desktop.progman)) << "the wallpaper's window is left alone";
  EXPECT_EQ(desktop.TextBkColour(), CLR_NONE);
  EXPECT_EQ(desktop.TextColour(), RGB(255, 0, 0));
}

TEST_F(DesktopIconsTest, AHungShellNeverHoldsVdUpAndHiddenIconsComeBackWhenItEnds) {
  StandInDesktop desktop(StandInDesktop::kProgman);
  ASSERT_TRUE(desktop.listView);
  OneChangeAtStart("0");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()) && !IsVisible(desktop.progman); }, 15000));

  // A change while the shell hangs for 15 s, with the icons to hide again:
  // VD may give up on the shell after a time-out, but never waits for it.
  ::ShowWindow(desktop.progman, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(IsVisible(desktop.progman));
  const auto hungAt = std::chrono::steady_clock::now();
  desktop.Hang(15000);
  ASSERT_TRUE(::DeleteFileA(BitmapPath().c_str()));
  ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(BitmapPath()); }, 10000));
  ::Sleep(300);
  ASSERT_TRUE(WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 20000));
  DWORD_PTR r = 0;
  EXPECT_NE(::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &r), 0);
  const auto answeredAfter = std::chrono::steady_clock::now() - hungAt;
  std::printf("[ measure ] VD answered %lld ms into the shell's hang\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(answeredAfter).count()));
  EXPECT_LT(answeredAfter, std::chrono::seconds(12)) << "VD waited for the hung shell";

  // Exit shows the icons VD hid.
  ::PostMessageA(main, WM_COMMAND, ids::mnuExit, 0);
  HWND ask = WaitForDialog(vd.Pid(), "Vexa Desktop");
  ASSERT_TRUE(ask);
  PressButton(ask, IDYES);
  EXPECT_TRUE(vd.WaitExit(10000));
  EXPECT_TRUE(WaitUntil([&] { return IsVisible(desktop.progman); }, 20000)) << "the icons stay hidden";
}

// The dialogs reached as a user reaches them: the main window's buttons and
// the tray menu's entries (posted as the menu posts them).
class DialogsTest : public SettingsTest {
 protected:
  static void OpenMainWindow(const Process& vd, HWND main) {
    ::PostMessageA(main, WM_COMMAND, ids::mnuOpen, 0);
    (void)vd;
    WaitUntil([&] { return IsVisible(main); }, 5000);
  }
  // Presses one of the main window's picture buttons.
  static void PressButton(HWND main, int index) { ClickControl(main, ids::ButtonsBase + index); }
  static void ChooseTrayEntry(HWND main, int entry) { ::PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(entry), 0); }
  static int CountWindows(DWORD pid, const char* cls, const char* title) {
    int n = 0;
    HWND w = nullptr;
    while ((w = ::FindWindowExA(nullptr, w, cls, title)) != nullptr) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(w, &owner);
      if (owner == pid && ::IsWindowVisible(w)) ++n;
    }
    return n;
  }
  // Every value the dialog stores, as the registry holds it now.
  static std::vector<std::optional<std::string>> DialogValues() {
    std::vector<std::optional<std::string>> v;
    for (const char* name : {"ShowDate", "Auto Decision", "Transparent Icon", "ShowIcons", "Recurse SubFolders",
                             "Use GreyScale", "Randomize", "Hot Modifier", "Hot Combi", "Icon ForeGround", "SortingType"})
      v.push_back(ProgramValue(name));
    v.push_back(RegRead(HKEY_CURRENT_USER, kRunKey, "Vexa Desktop"));
    return v;
  }
};

TEST_F(DialogsTest, OpeningTakesTheMainWindowsPlaceAndClosingGivesItBackOnlyWhenItWasOpen) {
  TwoPicturesNoCycling();
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  OpenMainWindow(vd, main);
  ASSERT_TRUE(IsVisible(main));

  // From the Settings button: the dialog replaces the main window.
  const auto before = std::chrono::steady_clock::now();
  PressButton(main, 4);
  HWND dlg = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(dlg = FindProcessWindow(vd.Pid(), kFormClass, kSettingsTitle)); }, 10000, 2));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
  std::printf("[ measure ] settings dialog open: %lld ms\n", static_cast<long long>(ms.count()));
  EXPECT_TRUE(WaitUntil([&] { return !IsVisible(main); }, 3000)) << "the main window steps aside";
  EXPECT_EQ(ControlText(dlg, ids::lblHot), "Selected keys:F7");
  EXPECT_FALSE(Enabled(dlg, ids::cmdApply));

  // A drag on the dialog's bare background moves it like its title bar.
  RECT was{};
  ::GetWindowRect(dlg, &was);
  // Below the frames, left of the buttons: level with the OK button.
  RECT ok{};
  ::GetWindowRect(::GetDlgItem(dlg, ids::cmdSave), &ok);
  POINT grab{Scaled(100), 0};
  ::ClientToScreen(dlg, &grab);
  grab.y = (ok.top + ok.bottom) / 2;
  ASSERT_TRUE(DragWindow(dlg, grab, {grab.x + 60, grab.y + 40}, 4));
  RECT now{};
  // The move starts with the first step of the drag, so that step is not followed.
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetWindowRect(dlg, &now);
        const int dx = now.left - was.left, dy = now.top - was.top;
        // Right and down with the mouse, never further. The system's move
        // follows the mouse from where it was when the move began, which on
        // a busy machine may be a step or two into the drag.
        return dx >= 15 && dx <= 60 && dy >= 10 && dy <= 40;
      },
      3000))
      << now.left - was.left << "," << now.top - was.top;

  // Opening it again brings the one dialog to the front.
  ChooseTrayEntry(main, ids::mnuSettings);
  ::Sleep(500);
  EXPECT_EQ(CountWindows(vd.Pid(), kFormClass, kSettingsTitle), 1);

  // OK with no change stores nothing and gives the main window back.
  const auto stored = DialogValues();
  Click(dlg, ids::cmdSave);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dlg); }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, 5000)) << "it was open before";
  EXPECT_EQ(DialogValues(), stored);
  EXPECT_FALSE(ProgramValue("Transparent Icon")) << "nothing was written";

  // From the tray menu with the main window closed: Cancel leaves it closed.
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsVisible(main); }, 5000));
  ChooseTrayEntry(main, ids::mnuSettings);
  dlg = SettingsWindow(vd);
  ASSERT_TRUE(dlg);
  Click(dlg, ids::cmdCancel);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dlg); }, 5000));
  ::Sleep(300);
  EXPECT_FALSE(IsVisible(main)) << "it was not open";
  EXPECT_TRUE(vd.Running());
}

TEST_F(DialogsTest, ColourAndOptionsReachTheRegistryAndTheDesktopOnApply) {
  StandInDesktop desktop(StandInDesktop::kProgman);
  TwoPicturesNoCycling();
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ChooseTrayEntry(main, ids::mnuSettings);
  HWND dlg = SettingsWindow(vd);
  ASSERT_TRUE(dlg);

  // With transparent captions off, the colour and its label are out of reach.
  Click(dlg, ids::chkOptionBase + 2);
  EXPECT_TRUE(WaitUntil([&] { return !Enabled(dlg, ids::IconCol) && !Enabled(dlg, ids::lblPBase + 1); }, 3000));
  Click(dlg, ids::chkOptionBase + 2);
  EXPECT_TRUE(WaitUntil([&] { return Enabled(dlg, ids::IconCol) && Enabled(dlg, ids::lblPBase + 1); }, 3000));

  // The colour dialog answered with a colour sets the swatch.
  ClickControl(dlg, ids::IconCol);
  HWND colour = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(colour = FindProcessWindow(vd.Pid(), "#32770", "Color")); }, 10000));
  ASSERT_TRUE(WaitUntil([&] { return ::GetDlgItem(colour, 0x2c4) && ::GetDlgItem(colour, IDOK); }, 5000));
  for (auto [id, value] : {std::pair{0x2c2, "0"}, std::pair{0x2c3, "128"}, std::pair{0x2c4, "255"}})
    ::SendMessageTimeoutA(::GetDlgItem(colour, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value), SMTO_ABORTIFHUNG,
                          3000, nullptr);
  Click(colour, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(colour); }, 5000));
  const std::uint32_t chosen = 0x0080FF;  // red 0, green 128, blue 255
  EXPECT_TRUE(WaitUntil([&] { return ControlCentrePixel(::GetDlgItem(dlg, ids::IconCol)) == chosen; }, 15000))
      << std::hex << ControlCentrePixel(::GetDlgItem(dlg, ids::IconCol));
  EXPECT_TRUE(Enabled(dlg, ids::cmdApply));
  // Cancelled, the colour dialog keeps the colour.
  ClickControl(dlg, ids::IconCol);
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(colour = FindProcessWindow(vd.Pid(), "#32770", "Color")); }, 10000));
  ASSERT_TRUE(WaitUntil([&] { return ::GetDlgItem(colour, IDCANCEL) != nullptr; }, 5000));
  ::SendMessageTimeoutA(::GetDlgItem(colour, 0x2c2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("9"), SMTO_ABORTIFHUNG,
                        3000, nullptr);
  Click(colour, IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(colour); }, 5000));
  ::Sleep(200);
  EXPECT_EQ(ControlCentrePixel(::GetDlgItem(dlg, ids::IconCol)), chosen);

  // "Example" shows the chosen colour on the sample caption.
  ClickControl(dlg, ids::lblExample);
  HWND example = VisibleWindow(vd, kExampleTitle, 5000);
  ASSERT_TRUE(example);
  HWND sample = ::GetDlgItem(example, ids::example::transparentCaption);
  EXPECT_EQ(WindowText(sample), " My Computer ");
  EXPECT_TRUE(WaitUntil([&] { return PixelsOfColour(sample, chosen) > 10; }, 3000)) << "the caption is drawn in it";

  // Apply with only the colour changed writes every value and registers no key.
  const auto before = std::chrono::steady_clock::now();
  Click(dlg, ids::cmdApply);
  EXPECT_TRUE(WaitUntil([&] { return !Enabled(dlg, ids::cmdApply); }, 5000, 1));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
  std::printf("[ measure ] Apply without a hot-key change: %lld ms\n", static_cast<long long>(ms.count()));
  EXPECT_FALSE(WaitForProcessWindow(vd.Pid(), "#32770", "Success!", 1000)) << "the hot key was not touched";
  const std::vector<std::optional<std::string>> expected = {"0", "1", "1", "1", "1", "0", "1", "0", "6",
                                                            std::to_string(RGB(0, 128, 255)), "0", std::nullopt};
  EXPECT_EQ(DialogValues(), expected);
  EXPECT_EQ(desktop.TextBkColour(), CLR_NONE);
  EXPECT_EQ(desktop.TextColour(), RGB(0, 128, 255));

  // Transparent captions off and icons hidden: Apply restores the desktop
  // colour behind the captions at once and hides the icons.
  Click(dlg, ids::chkOptionBase + 2);
  Click(dlg, ids::chkOptionBase + 3);
  WaitUntil([&] { return !Checked(dlg, ids::chkOptionBase + 3); }, 3000);
  Click(dlg, ids::cmdApply);
  EXPECT_TRUE(WaitUntil([&] { return desktop.TextBkColour() == ::GetSysColor(COLOR_BACKGROUND); }, 5000))
      << std::hex << desktop.TextBkColour();
  EXPECT_TRUE(WaitUntil([&] { return !IsVisible(desktop.progman); }, 5000));
  EXPECT_EQ(ProgramValue("ShowIcons"), "0");
  Click(dlg, ids::chkOptionBase + 3);
  WaitUntil([&] { return Checked(dlg, ids::chkOptionBase + 3); }, 3000);
  Click(dlg, ids::cmdApply);
  EXPECT_TRUE(WaitUntil([&] { return IsVisible(desktop.progman); }, 5000)) << "ShowIcons 1 shows them again";

  // Cancel closes the example window with the dialog.
  Click(dlg, ids::cmdCancel);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dlg) && !::IsWindow(example); }, 5000));
}

TEST_F(DialogsTest, StartupOptionAsksBeforeGoingAndIsStoredQuotedOrDeleted) {
  TwoPicturesNoCycling();
  // Another program's command under our name reads as off.
  RegWrite(HKEY_CURRENT_USER, kRunKey, "Vexa Desktop", "\"C:\\Tools\\NOTVD.exe\"");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ChooseTrayEntry(main, ids::mnuSettings);
  HWND dlg = SettingsWindow(vd);
  ASSERT_TRUE(dlg);
  ASSERT_FALSE(Checked(dlg, ids::chkOptionBase));

  Click(dlg, ids::chkOptionBase);  // checking asks nothing
  EXPECT_TRUE(WaitUntil([&] { return Checked(dlg, ids::chkOptionBase); }, 3000));
  Click(dlg, ids::cmdApply);
  const std::string own = "\"" + BinDir() + "\\VD.exe\"";
  EXPECT_TRUE(WaitUntil([&] { return RegRead(HKEY_CURRENT_USER, kRunKey, "Vexa Desktop") == own; }, 5000))
      << "checked by the user, it replaces the other command";

  Click(dlg, ids::chkOptionBase);
  EXPECT_EQ(Answer(vd.Pid(), "Sure?", IDNO), "You should keep this option checked\r\nAre you sure?");
  EXPECT_TRUE(WaitUntil([&] { return Checked(dlg, ids::chkOptionBase); }, 3000)) << "No keeps it";
  EXPECT_TRUE(Enabled(dlg, ids::cmdApply));
  Click(dlg, ids::chkOptionBase);
  Answer(vd.Pid(), "Sure?", IDYES);
  EXPECT_TRUE(WaitUntil([&] { return !Checked(dlg, ids::chkOptionBase); }, 3000));
  Click(dlg, ids::cmdApply);
  EXPECT_TRUE(WaitUntil([&] { return !RegRead(HKEY_CURRENT_USER, kRunKey, "Vexa Desktop").has_value(); }, 5000))
      << "switched off, the entry is deleted";

  // The help names the stored key, not the one picked and not yet applied.
  ClickListItem(::GetDlgItem(dlg, ids::cmbKey), 5);
  WaitUntil([&] { return ControlText(dlg, ids::lblHot) == "Selected keys:F6"; }, 3000);
  Click(dlg, ids::cmdHelpHotKey);
  EXPECT_EQ(Answer(vd.Pid(), "Vexa Desktop", IDOK),
            "You can select a Hot Key using which you can change the wallpaper at any time\r\n"
            "Your current Hot Key is 'F7'");
}

TEST_F(DialogsTest, AboutBoxShowsTheFileVersionAndStartsTheSystemTool) {
  TwoPicturesNoCycling();
  const char* msInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
  RegDeleteValueIfAny(HKEY_LOCAL_MACHINE, msInfoKey, "Path");
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  OpenMainWindow(vd, main);
  PressButton(main, 3);
  HWND about = VisibleWindow(vd, kAboutTitle);
  ASSERT_TRUE(about);
  EXPECT_EQ(ControlText(about, ids::lblProduct), "Vexa Desktop v1.1");

  // The version label is the running program's own file version.
  const std::string exe = VdExe();
  DWORD ignored = 0, size = ::GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  ASSERT_TRUE(::GetFileVersionInfoA(exe.c_str(), 0, size, data.data()));
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len));
  EXPECT_EQ(ControlText(about, ids::lblVersion), "Version " + std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                                                     std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                                                     std::to_string(HIWORD(info->dwFileVersionLS)));

  // No system-information tool: the one box, and nothing else.
  Click(about, ids::cmdSysInfo);
  EXPECT_EQ(Answer(vd.Pid(), "Vexa Desktop", IDOK), "System Information Is Unavailable At This Time");
  // "Help", "Tell a friend" and "Check for update" do nothing.
  for (int id : {ids::cmdHelp, ids::cmdTell, ids::cmdUpdate}) Click(about, id);
  EXPECT_FALSE(WaitForProcessWindow(vd.Pid(), "#32770", nullptr, 1000));
  EXPECT_TRUE(IsVisible(about));

  // With a stand-in tool it is started.
  const std::string tool = Temp() / "msinfo-standin.exe";
  ASSERT_TRUE(::CopyFileA((BinDir() + "\\wine_keeper.exe").c_str(), tool.c_str(), FALSE));
  RegWrite(HKEY_LOCAL_MACHINE, msInfoKey, "Path", tool);
  Click(about, ids::cmdSysInfo);
  EXPECT_TRUE(WaitUntil([] { return !ProcessIdsOf("msinfo-standin.exe").empty(); }, 10000));
  EXPECT_FALSE(FindProcessWindow(vd.Pid(), "#32770", "Vexa Desktop"));
  RegDeleteValueIfAny(HKEY_LOCAL_MACHINE, msInfoKey, "Path");
  EndProcessesNamed("msinfo-standin.exe");

  // "Website" hands the product page shipped beside the program to the
  // shell, which starts the handler of ".htm" files (here a stand-in).
  ASSERT_TRUE(FileExists(BinDir() + "\\Softwares\\VDesk.htm"));
  const std::string browser = Temp() / "browser-standin.exe";
  ASSERT_TRUE(::CopyFileA((BinDir() + "\\wine_keeper.exe").c_str(), browser.c_str(), FALSE));
  const char* pageClass = "SOFTWARE\\Classes\\VdTestPage";
  RegWrite(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.htm", "", "VdTestPage");
  RegWrite(HKEY_LOCAL_MACHINE, std::string(pageClass) + "\\shell\\open\\command", "", "\"" + browser + "\" \"%1\"");
  Click(about, ids::cmdWebsite);
  EXPECT_TRUE(WaitUntil([] { return !ProcessIdsOf("browser-standin.exe").empty(); }, 10000));
  RegDeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.htm");
  RegDeleteKeyTree(HKEY_LOCAL_MACHINE, pageClass);
  EndProcessesNamed("browser-standin.exe");
  // With nothing to open web pages, the user is told.
  Click(about, ids::cmdWebsite);
  EXPECT_EQ(Answer(vd.Pid(), "Vexa Desktop", IDOK),
            "The Vexa Desktop web page could not be opened:\r\n" + BinDir() + "\\Softwares\\VDesk.htm");

  // OK closes it; the tray menu's entry opens it again.
  Click(about, ids::cmdOK);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }, 5000));
  ChooseTrayEntry(main, ids::mnuAbout);
  EXPECT_TRUE(VisibleWindow(vd, kAboutTitle));
}

TEST_F(DialogsTest, TabMovesThroughTheControlsInOrderEnterIsOkAndEscIsCancel) {
  TwoPicturesNoCycling();
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Transparent Icon", "1");  // the colour swatch is enabled
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  auto openSettings = [&] {
    ChooseTrayEntry(main, ids::mnuSettings);
    HWND dlg = SettingsWindow(vd);
    WaitUntil([&] { return dlg && ::GetForegroundWindow() == dlg && FocusIn(dlg) != nullptr; }, 5000);
    return dlg;
  };
  HWND dlg = openSettings();
  ASSERT_TRUE(dlg);

  // Tab visits the options top to bottom, the hot keys, the sort order's
  // and the monitors' chosen buttons, the watched folders and the enabled
  // buttons, then starts again; Shift+Tab goes back.
  const std::vector<int> order{ids::chkOptionBase,     ids::chkOptionBase + 1, ids::chkOptionBase + 2,   ids::IconCol,
                               ids::chkOptionBase + 3, ids::chkOptionBase + 4, ids::chkOptionBase + 5,   ids::chkOptionBase + 6,
                               ids::chShowDate,  ids::cmbMod,      ids::cmbKey,        ids::cmbPrevMod,    ids::cmbPrevKey,  ids::cmdHelpHotKey,
                               ids::STypeBase,   ids::optMonitorsBase, ids::lstWatched, ids::cmdSave,   ids::cmdCancel,
                               ids::chkOptionBase};
  auto focusId = [&] { return ::GetDlgCtrlID(FocusIn(dlg)); };
  EXPECT_EQ(focusId(), order[0]) << "the focus starts on the first option";
  for (std::size_t i = 1; i < order.size(); ++i) {
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return focusId() == order[i]; }, 2000)) << "Tab " << i << ": " << focusId();
  }
  EXPECT_EQ(::SendMessageA(dlg, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, 0) << "the focus is shown";
  INPUT shiftTab[4] = {};
  for (INPUT& in : shiftTab) in.type = INPUT_KEYBOARD;
  shiftTab[0].ki.wVk = shiftTab[3].ki.wVk = VK_SHIFT;
  shiftTab[1].ki.wVk = shiftTab[2].ki.wVk = VK_TAB;
  shiftTab[2].ki.dwFlags = shiftTab[3].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(4, shiftTab, sizeof(INPUT));
  EXPECT_TRUE(WaitUntil([&] { return focusId() == ids::cmdCancel; }, 2000)) << focusId();

  // Space on an option changes it; Esc then closes with nothing stored.
  const auto stored = DialogValues();
  for (int i = 0; i < 2; ++i) PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return focusId() == ids::chkOptionBase + 1; }, 2000));
  const bool decided = Checked(dlg, ids::chkOptionBase + 1);
  PressKey(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return Checked(dlg, ids::chkOptionBase + 1) != decided; }, 2000));
  EXPECT_TRUE(Enabled(dlg, ids::cmdApply));
  // Space on the colour swatch opens the colour dialog.
  for (int i = 0; i < 2; ++i) PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return focusId() == ids::IconCol; }, 2000)) << focusId();
  PressKey(VK_SPACE);
  HWND colour = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return IsVisible(colour = FindProcessWindow(vd.Pid(), "#32770", "Color")); }, 5000))
      << "Space on the swatch";
  ASSERT_TRUE(WaitUntil([&] { return ::GetDlgItem(colour, IDCANCEL) && ::GetForegroundWindow() == colour; }, 5000));
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(colour) && ::GetForegroundWindow() == dlg; }, 5000));
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dlg); }, 5000)) << "Esc is Cancel";
  EXPECT_EQ(DialogValues(), stored) << "Cancel stores nothing";

  // The same change, then Enter: OK stores it and closes.
  dlg = openSettings();
  ASSERT_TRUE(dlg);
  PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return focusId() == ids::chkOptionBase + 1; }, 2000));
  PressKey(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return Checked(dlg, ids::chkOptionBase + 1) != decided; }, 2000));
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dlg); }, 5000)) << "Enter is OK";
  EXPECT_EQ(ProgramValue("Auto Decision"), decided ? "0" : "1");

  // The About box: the focus on OK, Esc and Enter both close it.
  for (WORD key : {VK_ESCAPE, VK_RETURN}) {
    ChooseTrayEntry(main, ids::mnuAbout);
    HWND about = VisibleWindow(vd, kAboutTitle);
    ASSERT_TRUE(about);
    EXPECT_TRUE(WaitUntil([&] { return ::GetDlgCtrlID(FocusIn(about)) == ids::cmdOK; }, 3000));
    PressKey(key);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }, 5000)) << "key " << key;
  }
}

}  // namespace
}  // namespace e2e
