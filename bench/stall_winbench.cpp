// Under Wine: how long VD.exe's main window takes to answer WM_NULL (sent
// every 20 ms from another thread) while
//  (a) ten programs relay 300 pictures with `Pelorin -i` and changes of the
//      wallpaper run all the while, and
//  (b) the shell's icon view (a stand-in "Progman" > "SHELLDLL_DefView" >
//      "SysListView32" in this program) stops answering for 15 s, with
//      transparent captions on and changes asked for every 2 s.
// Prints the 99th percentile and the worst answer of each, against the same
// figures for the desktop window (Wine's explorer.exe) pinged alike in the
// same run: what any program's window gets while Wine is that busy. Also
// how long after the last relay the list file held every relayed picture.
// Usage: stall_winbench VD.exe [Pelorin.exe [a|b]]: both, or the one named.
// Prints figures; never run as a test.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "main/control_ids.h"
#include "answer_pinger.h"
#include "bench_files.h"
#include "process_window.h"
#include "wic_pictures.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

std::string temp;  // VD's TEMP: its list, its bitmap and the pictures
constexpr int kPictures = 10;

std::string Picture(int i) { return temp + "\\photo" + std::to_string(i) + ".jpg"; }

std::string ReadFile(const std::string& path) {
  std::string s;
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return s;
  char buf[65536];
  DWORD got = 0;
  while (::ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) s.append(buf, got);
  ::CloseHandle(f);
  return s;
}

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

bool RunAndWait(std::string cmd) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  ::WaitForSingleObject(pi.hProcess, 60000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return true;
}

struct Vd {
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;
  bool Start(const std::string& exe) {
    std::string list;
    for (int i = 0; i < kPictures; ++i) list += Picture(i) + "\r\n";
    WriteText(temp + "\\VDesk.ini", list);
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    const auto t0 = Clock::now();
    while (!(main = ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Vexa Desktop")) && Ms(t0, Clock::now()) < 30000)
      ::Sleep(5);
    while (Busy() && Ms(t0, Clock::now()) < 30000) ::Sleep(5);
    ::Sleep(1500);
    return main != nullptr;
  }
  bool Busy() const { return ::IsWindowVisible(ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Please wait")); }
  ~Vd() {
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
};

// The main window's answer times, every 20 ms while it runs.
class Pinger : public AnswerPinger {
 public:
  explicit Pinger(HWND w) : AnswerPinger(w, 20) {}
};

void Print(const char* what, std::vector<double> s) {
  const AnswerFigures f = Figures(std::move(s));
  if (f.samples == 0) {
    std::printf("%s: no samples\n", what);
    return;
  }
  std::printf("%-52s WM_NULL p99 %6.0f ms, worst %6.0f ms, median %4.0f ms (%zu samples; target p99 <= 100, worst <= 250)\n",
              what, f.p99, f.worst, f.median, f.samples);
}

// Asks for a change every periodMs until stopped.
class Changer {
 public:
  Changer(HWND main, DWORD periodMs)
      : thread_([this, main, periodMs] {
          while (!stop_) {
            ::PostMessageA(main, WM_COMMAND, ids::mnuChange, 0);
            for (DWORD t = 0; t < periodMs && !stop_; t += 10) ::Sleep(10);
          }
        }) {}
  ~Changer() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The shell's icon view, stood in for on a thread of its own that can be
// made to hang.
class StandInShell {
 public:
  StandInShell() {
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] { Run(ready); });
    ::WaitForSingleObject(ready, 10000);
    ::CloseHandle(ready);
  }
  ~StandInShell() {
    ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  void Hang(DWORD ms) const { ::PostThreadMessageA(threadId_, WM_APP, ms, 0); }

 private:
  void Run(HANDLE ready) {
    threadId_ = ::GetCurrentThreadId();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    for (const char* cls : {"Progman", "SHELLDLL_DefView"}) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = ::DefWindowProcA;
      wc.hInstance = ::GetModuleHandleA(nullptr);
      wc.lpszClassName = cls;
      ::RegisterClassA(&wc);
    }
    HWND progman = ::CreateWindowExA(WS_EX_TOOLWINDOW, "Progman", "Program Manager", WS_POPUP | WS_VISIBLE, 1000, 740,
                                     20, 20, nullptr, nullptr, nullptr, nullptr);
    HWND defView = ::CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, progman, nullptr,
                                     nullptr, nullptr);
    ::CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 20, 20, defView, nullptr,
                      nullptr, nullptr);
    ::SetEvent(ready);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_APP) ::Sleep(static_cast<DWORD>(msg.wParam));
      ::DispatchMessageA(&msg);
    }
    ::DestroyWindow(progman);
  }
  std::thread thread_;
  DWORD threadId_ = 0;
};

// Copies of VD that a relay started and that outlived the one measured.
void EndStrayVds() {
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 pe{};
  pe.dwSize = sizeof pe;
  for (BOOL more = ::Process32First(snap, &pe); more; more = ::Process32Next(snap, &pe)) {
    if (_stricmp(pe.szExeFile, "VD.exe") != 0) continue;
    if (HANDLE p = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID)) {
      ::TerminateProcess(p, 0);
      ::WaitForSingleObject(p, 5000);
      ::CloseHandle(p);
    }
  }
  ::CloseHandle(snap);
}

void SetValue(const char* key, const char* name, const char* value) {
  ::RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1));
}

// (a): ten programs relay 30 pictures each while changes run.
void Relays(const std::string& vdExe, const std::string& pelorin) {
  Vd vd;
  if (!vd.Start(vdExe)) {
    std::printf("cannot start %s\n", vdExe.c_str());
    return;
  }
  Pinger pinger(vd.main), baseline(::GetDesktopWindow());
  std::vector<double> answers;
  Clock::time_point lastRelay;
  {
    Changer changer(vd.main, 700);
    pinger.Take();
    baseline.Take();
    std::vector<std::thread> programs;
    for (int p = 0; p < 10; ++p)
      programs.emplace_back([p, &pelorin] {
        for (int k = 0; k < 30; ++k) RunAndWait("\"" + pelorin + "\" -i " + Picture((p + k) % kPictures));
      });
    for (auto& t : programs) t.join();
    lastRelay = Clock::now();
    answers = pinger.Take();
  }
  const std::vector<double> desktop = baseline.Take();
  const std::string list = temp + "\\VDesk.ini";
  while (Lines(ReadFile(list)) < kPictures + 300 && Ms(lastRelay, Clock::now()) < 60000) ::Sleep(10);
  Print("(a) 300 relays from ten programs, changes running:", answers);
  Print("    the desktop window meanwhile (baseline):", desktop);
  std::printf("    list file held all %d entries %.0f ms after the last relay ended (%d lines)\n", kPictures + 300,
              Ms(lastRelay, Clock::now()), Lines(ReadFile(list)));
  while (vd.Busy()) ::Sleep(10);
}

// (b): the shell hangs for 15 s while changes are asked for.
void HungShell(const std::string& vdExe) {
  StandInShell shell;
  Vd vd;
  if (!vd.Start(vdExe)) {
    std::printf("cannot start %s\n", vdExe.c_str());
    return;
  }
  Pinger pinger(vd.main), baseline(::GetDesktopWindow());
  pinger.Take();
  baseline.Take();
  shell.Hang(15000);
  {
    Changer changer(vd.main, 2000);
    ::Sleep(15000);
  }
  ::Sleep(1000);
  Print("(b) the shell hangs for 15 s, a change every 2 s:", pinger.Take());
  Print("    the desktop window meanwhile (baseline):", baseline.Take());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: stall_winbench VD.exe [Pelorin.exe]\n");
    return 2;
  }
  const std::string vdExe = argv[1];
  const std::string pelorin = argc > 2 ? argv[2] : vdExe.substr(0, vdExe.find_last_of("\\/") + 1) + "Pelorin.exe";
  if (::FindWindowExA(nullptr, nullptr, "ThunderRT6FormDC", "Vexa Desktop")) {
    std::printf("VD runs already; end it first\n");
    return 1;
  }
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  temp = std::string(tmp) + "vd-stall-bench";
  ::CreateDirectoryA(temp.c_str(), nullptr);
  for (int i = 0; i < kPictures; ++i) {
    if (::GetFileAttributesA(Picture(i).c_str()) == INVALID_FILE_ATTRIBUTES &&
        !MakeTexturedPicture(Picture(i), GUID_ContainerFormatJpeg, 1600 + 16 * i, 1200)) {
      std::printf("cannot make the pictures in %s\n", temp.c_str());
      return 1;
    }
  }
  ::SetEnvironmentVariableA("TEMP", temp.c_str());  // VD and the relay's copy of it inherit it
  ::SetEnvironmentVariableA("TMP", temp.c_str());
  const char* key = "SOFTWARE\\Tobrel's\\Vexa Desktop";
  for (const char* off : {"Enabled VD", "Auto Decision", "Randomize", "ShowDate", "Use GreyScale"})
    SetValue(key, off, "0");
  SetValue(key, "Transparent Icon", "1");
  const std::string only = argc > 3 ? argv[3] : "";
  if (only != "b") Relays(vdExe, pelorin);
  std::fflush(stdout);
  EndStrayVds();
  if (only != "a") HungShell(vdExe);
  return 0;
}
