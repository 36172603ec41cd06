// The relay and the command channel: Pelorin hands its command line to the
// text box of the running VD, which appends a picture or replaces the list;
// with no VD running, Pelorin starts one with the same command line.
// Longer than 500 lines: every scenario uses the helpers below (a relay
// timed, a stand-in window that records the texts it receives).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <thread>

#include "harness.h"
#include "main/control_ids.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

std::string Lines(const std::vector<std::string>& paths) {
  std::string s;
  for (const std::string& p : paths) s += p + "\r\n";
  return s;
}

// What the list shows for a path: the file name without its extension.
std::string ShownName(const std::string& path) {
  std::string name = path.substr(path.find_last_of('\\') + 1);
  std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::vector<std::string> ShownNames(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (const std::string& p : paths) names.push_back(ShownName(p));
  return names;
}

// A window of another program: a top-level window of the given class titled
// "Vexa Desktop", with child windows of the given classes that record every
// text set on them. It runs its own message loop on a thread of its own, so
// it answers (or, with blockMs, fails to answer) while the test waits.
class FakeWindow {
 public:
  FakeWindow(std::string frameClass, std::vector<std::string> childClasses, DWORD blockMs = 0)
      : frameClass_(std::move(frameClass)), childClasses_(std::move(childClasses)), blockMs_(blockMs) {
    ready_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
    ::WaitForSingleObject(ready_, 5000);
  }
  ~FakeWindow() {
    if (frame_) ::PostMessageW(frame_, WM_CLOSE, 0, 0);
    thread_.join();
    ::CloseHandle(ready_);
  }
  FakeWindow(const FakeWindow&) = delete;
  FakeWindow& operator=(const FakeWindow&) = delete;

  HWND Frame() const { return frame_; }
  std::vector<std::string> Received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  static void Register(const std::string& cls, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    const std::wstring name = Wide(cls);
    wc.lpszClassName = name.c_str();
    ::RegisterClassW(&wc);  // already registered by an earlier window: the same procedure
  }

  static LRESULT CALLBACK FrameProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
      ::DestroyWindow(w);
      return 0;
    }
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(w, msg, wp, lp);
  }

  static LRESULT CALLBACK ChildProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    if (msg == WM_SETTEXT) {
      if (auto* self = reinterpret_cast<FakeWindow*>(::GetWindowLongPtrW(w, GWLP_USERDATA))) {
        {
          std::lock_guard<std::mutex> lock(self->mutex_);
          self->received_.push_back(Utf8(reinterpret_cast<const wchar_t*>(lp)));
        }
        if (self->blockMs_) ::Sleep(self->blockMs_);
      }
    }
    return ::DefWindowProcW(w, msg, wp, lp);
  }

  void Run() {
    Register(frameClass_, &FrameProc);
    for (const std::string& c : childClasses_) Register(c, &ChildProc);
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    frame_ = ::CreateWindowExW(0, Wide(frameClass_).c_str(), L"Vexa Desktop", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                               nullptr, nullptr, inst, nullptr);
    for (const std::string& c : childClasses_)
      ::CreateWindowExW(0, Wide(c).c_str(), L"", WS_CHILD, 0, 0, 50, 20, frame_, nullptr, inst, this);
    ::SetEvent(ready_);
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) ::DispatchMessageW(&m);
  }

  std::string frameClass_;
  std::vector<std::string> childClasses_;
  DWORD blockMs_;
  HANDLE ready_ = nullptr;
  std::atomic<HWND> frame_{nullptr};
  mutable std::mutex mutex_;
  std::vector<std::string> received_;
  std::thread thread_;
};

class RelayTest : public VdTest {
 protected:
  struct Run {
    std::optional<DWORD> exitCode;  // 0: the running VD took the text
    double ms = 0;                  // from start to end
  };

  std::string Picture(const std::string& name) {
    const std::string path = Temp() / name;
    WriteFileText(path, MakeBmp(4, 4, 40, 90, 200));
    return path;
  }

  // Runs Pelorin to its end with the test's TEMP (the VD it starts inherits it).
  Run Relay(const std::string& args, const std::string& workingDir = "", const std::string& exe = PelorinExe()) {
    const auto t0 = Clock::now();
    Process p = StartUtf8(exe, args, Temp().Path(), workingDir);
    EXPECT_TRUE(p.WaitExit(75000)) << "Pelorin did not end: " << args.substr(0, 60);
    return {p.ExitCode(), MsSince(t0)};
  }

  // Relay, answering the message box Pelorin may show: its text goes to told.
  Run RelayTelling(const std::string& args, const std::string& workingDir, const std::string& exe,
                   std::string& told) {
    const auto t0 = Clock::now();
    Process p = StartUtf8(exe, args, Temp().Path(), workingDir);
    HWND box = nullptr;
    WaitUntil([&] { return !p.Running() || (box = FindProcessWindow(p.Pid(), "#32770", "Vexa Desktop")) != nullptr; },
              15000);
    if (box) {
      told = ControlText(box, 0xFFFF);
      ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
    EXPECT_TRUE(p.WaitExit(75000)) << "Pelorin did not end: " << args.substr(0, 60);
    return {p.ExitCode(), MsSince(t0)};
  }

  // Exit codes of every VD other than the one kept, once they have ended;
  // STILL_ACTIVE for one that is still running after the time given.
  static std::vector<DWORD> OtherCopiesEnd(DWORD keep, int timeoutMs) {
    std::vector<DWORD> codes;
    for (DWORD pid : ProcessIdsOf("VD.exe")) {
      if (pid == keep) continue;
      HANDLE h = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
      if (!h) continue;  // already gone
      ::WaitForSingleObject(h, static_cast<DWORD>(timeoutMs));
      DWORD code = STILL_ACTIVE;
      ::GetExitCodeProcess(h, &code);
      ::CloseHandle(h);
      codes.push_back(code);
    }
    return codes;
  }

  // Relays to the VD that runs and waits for the copy Pelorin started, which
  // must end by itself without disturbing the first.
  Run RelayToRunning(const Process& vd, const std::string& args) {
    Run r = Relay(args);
    for (DWORD code : OtherCopiesEnd(vd.Pid(), 8000))
      EXPECT_EQ(code, 0u) << "the second VD ends by itself: " << args.substr(0, 60);
    EXPECT_TRUE(vd.Running()) << args.substr(0, 60);
    return r;
  }

  HWND ImgList(const Process& vd) const { return ::GetDlgItem(MainWindow(vd), ids::imgList); }
};

TEST_F(RelayTest, ImageIsAppendedAndSavedWithoutDisturbingTheRunningVd) {
  const std::string red = Picture("red.bmp"), green = Picture("green.bmp"), blue = Picture("blue.bmp");
  WriteFileText(DefaultListPath(), Lines({red, green}));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(main);
  HWND list = ImgList(vd);
  ASSERT_EQ(ListBoxItems(list), ShownNames({red, green}));
  ::SendMessageA(list, LB_SETCURSEL, 1, 0);
  ASSERT_EQ(ListBoxSelection(list), 1);
  // Same title, another class, with text boxes of both kinds: not to be used.
  FakeWindow lookalike("VexaLookalike", {"ThunderRT6TextBox", "ThunderTextBox"});

  Run r = Relay("-i " + red);
  EXPECT_EQ(r.exitCode, 0u) << "VD took the text";
  EXPECT_EQ(ListBoxItems(list), ShownNames({red, green, red})) << "appended at the end though already listed";
  EXPECT_TRUE(ListFileIs(Lines({red, green, red})));
  EXPECT_EQ(ListBoxSelection(list), 1);
  EXPECT_FALSE(IsVisible(main));
  EXPECT_TRUE(lookalike.Received().empty());
  EXPECT_EQ(OtherCopiesEnd(vd.Pid(), 8000), std::vector<DWORD>{0}) << "one second VD, ended by itself";
  EXPECT_TRUE(vd.Running());
  EXPECT_EQ(MainWindow(vd), main);

  // The same text twice in a row is two commands.
  EXPECT_EQ(RelayToRunning(vd, "-i " + blue).exitCode, 0u);
  EXPECT_EQ(RelayToRunning(vd, "-i " + blue).exitCode, 0u);
  EXPECT_EQ(ListBoxItems(list), ShownNames({red, green, red, blue, blue}));
  EXPECT_TRUE(ListFileIs(Lines({red, green, red, blue, blue})));
  EXPECT_EQ(ListBoxSelection(list), 1);
  EXPECT_FALSE(IsVisible(main));
  EXPECT_TRUE(lookalike.Received().empty());
}

TEST_F(RelayTest, ListOptionReplacesTheListOnlyFromAnExistingFile) {
  const std::string red = Picture("red.bmp"), green = Picture("green.bmp"), blue = Picture("blue.bmp");
  const std::string summer = Temp() / "summer.vdl";
  WriteFileText(summer, Lines({green, Temp() / "gone.bmp", blue}));
  WriteFileText(DefaultListPath(), Lines({red}));
  Process vd = StartVd();
  HWND list = ImgList(vd);

  const std::string missing = Temp() / "missing.vdl";
  EXPECT_EQ(RelayToRunning(vd, "-l " + missing).exitCode, 0u);
  EXPECT_EQ(ListBoxItems(list), ShownNames({red})) << "a missing list file changes nothing";
  EXPECT_TRUE(ListFileIs(Lines({red})));
  EXPECT_FALSE(FileExists(missing)) << "nor is it created";

  EXPECT_EQ(RelayToRunning(vd, "-l " + summer).exitCode, 0u);
  EXPECT_EQ(ListBoxItems(list), ShownNames({green, blue}));
  EXPECT_TRUE(ListFileIs(Lines({green, blue}))) << "the new list is saved as the default";
  EXPECT_TRUE(WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 3000))
      << "the progress form goes away after the load";
  EXPECT_FALSE(IsVisible(MainWindow(vd)));
}

TEST_F(RelayTest, OtherOptionsShortTextsAndMissingFoldersDoNothing) {
  const std::string red = Picture("red.bmp");
  const std::string folder = Temp() / "more";
  MakeFolder(folder);
  const std::string blue = folder + "\\blue.bmp";
  WriteFileText(blue, MakeBmp(4, 4, 255, 0, 0));
  const std::string blues = Temp() / "blues.vdl";
  WriteFileText(blues, Lines({blue}));
  WriteFileText(DefaultListPath(), Lines({red}));
  Process vd = StartVd();
  HWND list = ImgList(vd);
  const auto installed = RegRead(HKEY_CURRENT_USER, kProgramKey, "InstalledDir");
  ASSERT_TRUE(installed);

  for (const std::string& text : {"-n " + folder + "\\gone", "-n " + blue, std::string("-n "), "-N " + folder,
                                  "-d " + folder, std::string(), std::string("-"), std::string("-i"),
                                  std::string("-i "), std::string("-l "), "-I " + blue, "-L " + blues}) {
    EXPECT_EQ(RelayToRunning(vd, text).exitCode, 0u) << "VD took \"" << text << "\"";
    EXPECT_EQ(ListBoxItems(list), ShownNames({red})) << text;
    EXPECT_TRUE(ListFileIs(Lines({red}))) << text;
    EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "InstalledDir"), installed) << text;
    EXPECT_FALSE(IsVisible(MainWindow(vd))) << text;
  }
}

TEST_F(RelayTest, FolderIsAddedWithItsSubfoldersUnderTheProgressFormAndTheWindowOpens) {
  const std::string red = Picture("red.bmp");
  WriteFileText(DefaultListPath(), Lines({red}));
  // Enough folders that the walk takes a moment; only the pictures are added.
  const std::string album = Temp() / "Album \xC3\x85rhus";  // "Album Århus"
  MakeFolder(album);
  MakeFolder(album + "\\sub");
  std::vector<std::string> added;
  for (int i = 100; i < 400; ++i) {
    MakeFolder(album + "\\f" + std::to_string(i));
    WriteFileText(album + "\\f" + std::to_string(i) + "\\notes.txt", "x");
  }
  for (const char* name : {"b.bmp", "a.jpg"}) {
    WriteFileText(album + "\\" + name, MakeBmp(4, 4, 1, 2, 3));
  }
  added = {album + "\\a.jpg", album + "\\b.bmp", album + "\\sub\\c.gif"};
  WriteFileText(added[2], MakeBmp(4, 4, 1, 2, 3));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_FALSE(IsVisible(main));

  // Watch for the progress form while the relay runs.
  std::atomic<bool> stop{false};
  std::string statusSeen;
  std::thread watcher([&] {
    while (!stop && statusSeen.empty()) {
      if (HWND w = FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); w && IsVisible(w)) {
        // The label's text as the system keeps it: VD is busy walking.
        char text[200] = {};
        ::GetWindowTextA(::GetDlgItem(w, ids::lblPro), text, sizeof text);
        statusSeen = text;
      }
      ::Sleep(1);
    }
  });
  Run r = RelayToRunning(vd, "-n \"" + album + "\"");
  // The folder is watched from now on, with its subfolders.
  EXPECT_TRUE(WaitUntil(
      [&] { return ReadFileText(DefaultListPath()) == Lines({red, added[0], added[1], added[2], album + "\\**"}); },
      15000))
      << ReadFileText(DefaultListPath()).value_or("(none)");
  stop = true;
  watcher.join();
  EXPECT_NE(r.exitCode, std::nullopt);
  EXPECT_EQ(statusSeen, "Loading wallpapers list...");
  EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, 5000)) << "the window opens on the list";
  EXPECT_EQ(ListBoxItems(ImgList(vd)), ShownNames({red, added[0], added[1], added[2]}));
  EXPECT_TRUE(WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000));

  // A relay that comes while the walk runs waits for it and follows it.
  const std::string blue = Picture("blue.bmp");
  std::thread second([&] { Relay("-i " + blue); });
  Relay("-n " + album + "\\sub");
  second.join();
  // The subfolder's picture is in the list already, through the watched folder: not twice.
  EXPECT_TRUE(WaitUntil([&] { return ListBoxItems(ImgList(vd)).size() == 5; }, 15000));
  const std::vector<std::string> items = ListBoxItems(ImgList(vd));
  EXPECT_TRUE(std::find(items.begin(), items.end(), "blue") != items.end());
  EXPECT_TRUE(std::find(items.begin(), items.end(), "c") != items.end());
}

TEST_F(RelayTest, PathsAreStoredAsTheFileSystemSpellsThem) {
  const std::string folder = Temp() / "Fotos und Bilder";
  MakeFolder(folder);
  const std::string omega = folder + "\\\xCE\xA9mega \xE5\x86\x99\xE7\x9C\x9F.bmp";  // "Ωmega 写真.bmp"
  WriteFileUtf8Name(omega, MakeBmp(4, 4, 0, 255, 0));
  const std::string longName = folder + "\\A rather long picture name.bmp";
  WriteFileText(longName, MakeBmp(4, 4, 0, 0, 255));
  const std::string shortName = ShortPath(longName);
  ASSERT_NE(shortName, longName);
  Process vd = StartVd();
  HWND list = ImgList(vd);

  EXPECT_EQ(RelayToRunning(vd, "-i " + omega).exitCode, 0u);
  EXPECT_EQ(ListBoxItems(list), std::vector<std::string>{"\xCE\xA9mega \xE5\x86\x99\xE7\x9C\x9F"});
  EXPECT_TRUE(ListFileIs(Lines({omega}))) << "written in UTF-8";

  // A short (8.3) name is stored as the long name the next load gives it.
  EXPECT_EQ(RelayToRunning(vd, "-i " + shortName).exitCode, 0u);
  EXPECT_EQ(ListBoxItems(list).back(), ShownName(longName)) << "expanded from " << ShownName(shortName);
  EXPECT_TRUE(ListFileIs(Lines({omega, longName})));

  // A path in quotes (as Explorer's commands pass it) is taken without them;
  // a quote anywhere else stays part of the path, which then names no file.
  EXPECT_EQ(RelayToRunning(vd, "-i \"" + longName + "\"").exitCode, 0u);
  EXPECT_TRUE(ListFileIs(Lines({omega, longName, longName})));
  EXPECT_EQ(RelayToRunning(vd, "-i \"" + longName).exitCode, 0u);
  EXPECT_EQ(ListBoxItems(list).size(), 3u);
  EXPECT_TRUE(ListFileIs(Lines({omega, longName, longName})));
}

TEST_F(RelayTest, WithoutVdPelorinStartsVdOnlyByItsFullPathNeverFromTheCurrentFolder) {
  const std::string red = Picture("red.bmp");
  // A folder of downloads with a VD.exe planted in it (a stand-in that
  // records that it ran): the shell starts Pelorin there.
  const std::string downloads = Temp() / "Downloads";
  MakeFolder(downloads);
  ASSERT_TRUE(::CopyFileA((BinDir() + "\\stand_in_editor.exe").c_str(), (downloads + "\\VD.exe").c_str(), FALSE));
  const std::string planted = Temp() / "mspaint-command.txt";
  // A Pelorin with no VD beside it.
  const std::string alone = Temp() / "relay alone";
  MakeFolder(alone);
  const std::string lonePelorin = alone + "\\Pelorin.exe";
  ASSERT_TRUE(::CopyFileA(PelorinExe().c_str(), lonePelorin.c_str(), FALSE));

  // Neither beside it nor recorded: it says what is missing and starts nothing.
  std::string told;
  Run r = RelayTelling("-i " + red, downloads, lonePelorin, told);
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_NE(told.find("VD.exe was not found"), std::string::npos) << told;
  EXPECT_NE(told.find(alone + "\\VD.exe"), std::string::npos) << told;
  ::Sleep(1000);
  EXPECT_FALSE(FileExists(planted)) << "the planted VD.exe ran";
  EXPECT_TRUE(ProcessIdsOf("VD.exe").empty());
  // A recorded folder without VD.exe is no better.
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "InstalledDir", alone + "\\");
  told.clear();
  EXPECT_EQ(RelayTelling("-i " + red, downloads, lonePelorin, told).exitCode, 1u);
  EXPECT_NE(told.find("VD.exe was not found"), std::string::npos) << told;
  EXPECT_FALSE(FileExists(planted));

  struct Case {
    std::string pelorin, installedDir;
  };
  // Beside it first; else the folder the setup program recorded.
  for (const Case& c : {Case{PelorinExe(), alone + "\\"}, Case{lonePelorin, BinDir() + "\\"}}) {
    KillStrayPrograms();
    RegDeleteKeyTree(HKEY_CURRENT_USER, kProgramKey);
    RegWrite(HKEY_CURRENT_USER, kProgramKey, "InstalledDir", c.installedDir);
    ::DeleteFileA(DefaultListPath().c_str());
    ::DeleteFileA((LocalAppDataOf(Temp().Path()) + "\\Vexa Desktop\\VDesk.ini").c_str());  // or it comes back

    told.clear();
    r = RelayTelling("-i " + red, downloads, c.pelorin, told);
    EXPECT_EQ(r.exitCode, 1u) << "no VD took the text";
    EXPECT_EQ(told, "") << c.pelorin;
    std::vector<DWORD> started;
    ASSERT_TRUE(WaitUntil([&] { return (started = ProcessIdsOf("VD.exe")).size() == 1; }, 10000))
        << c.pelorin << " started " << started.size();
    HANDLE h = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, started[0]);
    ASSERT_TRUE(h);
    Process vd(h, started[0]);
    EXPECT_EQ(_stricmp(ProcessImagePath(vd.Pid()).c_str(), (BinDir() + "\\VD.exe").c_str()), 0)
        << ProcessImagePath(vd.Pid());
    ASSERT_TRUE(WaitReady(vd));
    EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "InstalledDir"), BinDir() + "\\");
    // A fresh start with the same command line: the default list, then the picture.
    EXPECT_EQ(ListBoxItems(ImgList(vd)), ShownNames({red}));
    EXPECT_TRUE(ListFileIs(Lines({red})));
  }
  EXPECT_FALSE(FileExists(planted));
}

TEST_F(RelayTest, WindowSearchTakesOnlyTheMainProgramsClasses) {
  // Pelorin alone in a folder, so that it has no VD to start.
  const std::string alone = Temp() / "relay alone";
  MakeFolder(alone);
  const std::string pelorin = alone + "\\Pelorin.exe";
  ASSERT_TRUE(::CopyFileA(PelorinExe().c_str(), pelorin.c_str(), FALSE));

  FakeWindow lookalike("VexaLookalike", {"ThunderRT6TextBox", "ThunderTextBox"});
  std::string told;
  EXPECT_EQ(RelayTelling("-i a.bmp", alone, pelorin, told).exitCode, 1u);
  EXPECT_NE(told.find("VD.exe was not found"), std::string::npos) << "nothing took it, nothing to start";
  EXPECT_TRUE(lookalike.Received().empty()) << "a window of another class is not used";

  {
    // The development environment's classes, found by the second search; the
    // text arrives exactly as Pelorin got it.
    FakeWindow ide("ThunderFormDC", {"ThunderTextBox"});
    const std::string text = "-i  \"C:\\Fotos alt\\\xCE\xA9mega \xE5\x86\x99\xE7\x9C\x9F.bmp\"\t-x";
    EXPECT_EQ(Relay(text, alone, pelorin).exitCode, 0u);
    EXPECT_EQ(ide.Received(), std::vector<std::string>{text});

    // A window of the finished program's class, even one without its text
    // box (a copy of VD starting or ending), rules out the second search.
    FakeWindow boxless("ThunderRT6FormDC", {});
    EXPECT_EQ(RelayTelling("-i b.bmp", alone, pelorin, told).exitCode, 1u);
    EXPECT_EQ(ide.Received().size(), 1u);

    // Such a window in front of the running VD's is passed over.
    FakeWindow running("ThunderRT6FormDC", {"ThunderRT6TextBox"});
    ::SetWindowPos(boxless.Frame(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(::FindWindowExA(nullptr, nullptr, "ThunderRT6FormDC", "Vexa Desktop"), boxless.Frame());
    EXPECT_EQ(Relay("-i c.bmp", alone, pelorin).exitCode, 0u);
    EXPECT_EQ(running.Received(), std::vector<std::string>{"-i c.bmp"});
    EXPECT_EQ(ide.Received().size(), 1u);
  }
  EXPECT_TRUE(lookalike.Received().empty());
  EXPECT_TRUE(ProcessIdsOf("VD.exe").empty());
}

TEST_F(RelayTest, BusyWindowIsWaitedForAndSentTheTextOnce) {
  const std::string elsewhere = Temp() / "elsewhere";
  MakeFolder(elsewhere);
  {
    // Busy for 3 s, as VD is while it changes to a big picture.
    FakeWindow busy("ThunderRT6FormDC", {"ThunderRT6TextBox"}, 3000);
    Run r = Relay("-i a.bmp", elsewhere);
    std::cout << "[ relay   ] Pelorin with a window busy for 3 s ran " << r.ms << " ms\n";
    EXPECT_EQ(busy.Received(), std::vector<std::string>{"-i a.bmp"}) << "sent once";
    EXPECT_EQ(r.exitCode, 0u) << "the busy window took it in the end";
    EXPECT_GE(r.ms, 3000);
  }
  // The VD that relay started would take the next text itself, in front of
  // the hung window, once its main window is up.
  KillStrayPrograms();
  {
    // A window that does not answer within Pelorin's bound (10 s) is given up.
    FakeWindow hung("ThunderRT6FormDC", {"ThunderRT6TextBox"}, 14000);
    Run r = Relay("-i b.bmp", elsewhere);
    std::cout << "[ relay   ] Pelorin with a window hung for 14 s ran " << r.ms << " ms\n";
    EXPECT_EQ(hung.Received(), std::vector<std::string>{"-i b.bmp"}) << "sent once";
    EXPECT_EQ(r.exitCode, 1u) << "an unanswered relay counts as failed";
    EXPECT_GE(r.ms, 9000);
    EXPECT_LT(r.ms, 14000);
  }
  EXPECT_FALSE(ProcessIdsOf("VD.exe").empty()) << "VD is started all the same";
}

TEST_F(RelayTest, BadInputIsRefusedAndVdStaysUp) {
  const std::string red = Picture("red.bmp");
  const std::string folder = Temp() / "folder.bmp";
  MakeFolder(folder);
  const std::string hidden = Picture("hidden.bmp"), system = Picture("system.bmp");
  const std::string hiddenList = Temp() / "hidden.vdl";
  WriteFileText(hiddenList, Lines({red, red}));
  ::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
  ::SetFileAttributesA(hiddenList.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(::GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(::GetFileAttributesA(system.c_str()) & FILE_ATTRIBUTE_SYSTEM);
  ASSERT_TRUE(::GetFileAttributesA(hiddenList.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  WriteFileText(DefaultListPath(), Lines({red}));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  HWND list = ImgList(vd);

  std::string controls;
  for (char c = 1; c < 32; ++c) controls += c;
  // As long as a command line may be: 32767 characters with Pelorin's own path.
  const std::size_t longPathSize = 32767 - 1 - (PelorinExe().size() + 3) - 3;
  const std::string longPath = Temp() / (std::string(longPathSize - Temp().Path().size() - 5, 'a') + ".bmp");
  const std::vector<std::string> texts = {
      "-i " + folder,      "-l " + folder,  "-i " + hidden, "-i " + system, "-l " + hiddenList,
      "-i " + Temp() / "*.bmp", "-i " + red + "\r\n" + red, "-i " + red + controls, controls, "-i " + longPath,
      "-l " + longPath,
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(RelayToRunning(vd, text).exitCode, 0u) << text.substr(0, 60);
    EXPECT_EQ(ListBoxItems(list), ShownNames({red})) << text.substr(0, 60);
    EXPECT_TRUE(ListFileIs(Lines({red}))) << text.substr(0, 60);
  }
  // The long text reached the text box whole.
  EXPECT_EQ(ControlText(main, ids::Text1), "-l " + longPath);
  EXPECT_FALSE(IsVisible(main));
}

TEST_F(RelayTest, FloodOfRelaysNeverLeavesTheListFileHalfWritten) {
  std::vector<std::string> pictures;
  for (char c = '0'; c < '5'; ++c) pictures.push_back(Picture(std::string("p") + c + ".bmp"));
  const std::string hidden = Picture("hidden.bmp");
  ::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  std::vector<std::string> expected = {pictures[0], pictures[1]};
  WriteFileText(DefaultListPath(), Lines(expected));
  Process vd = StartVd();
  HWND main = MainWindow(vd);
  ASSERT_TRUE(main);

  // The text box found the way Pelorin finds it.
  HWND frame = ::FindWindowExA(nullptr, nullptr, "ThunderRT6FormDC", "Vexa Desktop");
  ASSERT_EQ(frame, main);
  HWND box = ::FindWindowExA(frame, nullptr, "ThunderRT6TextBox", nullptr);
  ASSERT_TRUE(box);
  ASSERT_EQ(::GetDlgCtrlID(box), ids::Text1);

  // Every read of the list file must be whole CR LF lines naming the
  // pictures, start with the list VD began with, and never shrink: a file
  // written in place would be seen empty or cut short.
  const std::string initial = Lines(expected);
  std::atomic<bool> stop{false};
  std::atomic<int> reads{0};
  std::string badRead;
  std::thread reader([&] {
    std::size_t lastCount = 0;
    while (!stop) {
      const std::optional<std::string> text = ReadFileText(DefaultListPath());
      ++reads;
      bool whole = text && text->compare(0, initial.size(), initial) == 0 && text->size() >= 2 &&
                   text->compare(text->size() - 2, 2, "\r\n") == 0;
      std::size_t count = 0;
      for (std::size_t at = 0; whole && at < text->size(); ++count) {
        const std::size_t end = text->find("\r\n", at);
        whole = std::find(pictures.begin(), pictures.end(), text->substr(at, end - at)) != pictures.end();
        at = end + 2;
      }
      whole = whole && count >= lastCount;
      lastCount = std::max(lastCount, count);
      if (!whole && badRead.empty())
        badRead = text ? text->substr(text->size() > 300 ? text->size() - 300 : 0) : "<unreadable>";
    }
  });
  const std::vector<std::string> refused = {"-i " + Temp() / "missing.bmp", "-l " + Temp() / "missing.vdl",
                                            "-i " + hidden,                 "-n " + Temp() / "no such folder",
                                            "-i " + Temp().Path(),          "-i \x01\x02\x03\r\n",
                                            std::string(),                  "-d " + Temp().Path()};
  int pelorinRuns = 0;
  for (int i = 0; i < 1000; ++i) {
    std::string text;
    if (i % 2 == 0) {
      expected.push_back(pictures[static_cast<std::size_t>(i / 2) % pictures.size()]);
      text = "-i " + expected.back();
    } else {
      text = refused[static_cast<std::size_t>(i / 2) % refused.size()];
    }
    DWORD_PTR result = 0;
    const bool answered = ::SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                                SMTO_NORMAL, 5000, &result) != 0;
    EXPECT_TRUE(answered && result) << "message " << i;
    if (!answered) break;
    if (i % 50 == 49) {
      // A real relay in between, not waiting for the copy of VD it starts.
      const std::string& p = pictures[static_cast<std::size_t>(pelorinRuns++) % pictures.size()];
      expected.push_back(p);
      EXPECT_EQ(Relay("-i " + p).exitCode, 0u) << "relay " << pelorinRuns;
    }
  }
  stop = true;
  reader.join();
  // A save made while the reader had the file open may have been refused
  // (the old file then stays whole); the next one writes the whole list.
  expected.push_back(pictures[0]);
  EXPECT_EQ(Relay("-i " + pictures[0]).exitCode, 0u);

  for (DWORD code : OtherCopiesEnd(vd.Pid(), 15000)) EXPECT_EQ(code, 0u);
  EXPECT_TRUE(vd.Running());
  EXPECT_EQ(pelorinRuns, 20);
  EXPECT_EQ(badRead, "") << "a read of the list file was not whole (its end shown)";
  EXPECT_GT(reads.load(), 20);
  std::cout << "[ relay   ] " << reads.load() << " reads of the list file during the flood\n";
  const std::vector<std::string> items = ListBoxItems(ImgList(vd));
  EXPECT_EQ(items.size(), expected.size());
  EXPECT_TRUE(items == ShownNames(expected)) << "the list holds what was accepted, in order";
  const std::optional<std::string> saved = ReadFileText(DefaultListPath());
  EXPECT_TRUE(saved == Lines(expected)) << "the list file matches the list: " << (saved ? saved->size() : 0)
                                         << " bytes, not " << Lines(expected).size();
  EXPECT_FALSE(IsVisible(main));
}

// Size of a file without opening it: a reader holding the list file open
// would make VD's save of it fail.
std::optional<ULONGLONG> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return std::nullopt;
  return (ULONGLONG{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
}

TEST_F(RelayTest, TimeFromPelorinStartToTheSavedList) {
  const std::string red = Picture("red.bmp");
  Process vd = StartVd();
  std::vector<double> saved;
  for (int i = 0; i < 5; ++i) {
    const std::optional<ULONGLONG> before = FileSize(DefaultListPath());
    const auto t0 = Clock::now();
    Process p = StartUtf8(PelorinExe(), "-i " + red, Temp().Path());
    const bool changed = WaitUntil([&] { return FileSize(DefaultListPath()) != before; }, 10000, 1);
    const double ms = MsSince(t0);
    ASSERT_TRUE(changed) << "the list file was saved";
    ASSERT_TRUE(p.WaitExit(10000));
    std::cout << "[ relay   ] Pelorin start to saved list file: " << ms << " ms (Pelorin ran " << MsSince(t0)
              << " ms)\n";
    saved.push_back(ms);
    for (DWORD code : OtherCopiesEnd(vd.Pid(), 8000)) EXPECT_EQ(code, 0u);
  }
  std::sort(saved.begin(), saved.end());
  std::cout << "[ relay   ] median " << saved[saved.size() / 2] << " ms over " << saved.size() << " relays\n";
  EXPECT_TRUE(ListFileIs(Lines({red, red, red, red, red})));
}

}  // namespace
}  // namespace e2e
