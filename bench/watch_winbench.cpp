// Under Wine: VD watching a tree of 100,000 pictures (100 folders of 1,000
// empty .jpg files, made on the first run and kept for the next).
//  1. Baseline: VD started with a list naming the 100,000 pictures, not
//     watched: start to list loaded, and VD's private memory once settled.
//  2. VD started with a list that only watches the tree: start to all
//     100,000 in the list (the scan in the background), with the longest the
//     main window took meanwhile to answer WM_NULL; then 1,000 pictures
//     copied in at once, to all of them in the list; and the private memory
//     once settled, against the baseline's (the list is as long in both).
// Usage: watch_winbench VD.exe [files per folder]. Prints figures; never run as a test.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "main/control_ids.h"
#include "bench_files.h"
#include "process_window.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

constexpr int kFolders = 100, kCopied = 1000;

// The tree's pictures as list lines.
bool MakeTree(const std::string& tree, int perFolder, std::string& lines) {
  ::CreateDirectoryA(tree.c_str(), nullptr);
  for (int d = 0; d < kFolders; ++d) {
    const std::string folder = tree + "\\Album " + std::to_string(d);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < perFolder; ++i) {
      const std::string path = folder + "\\Holiday picture " + std::to_string(i) + ".jpg";
      if (!MakeEmptyFile(path)) return false;
      lines += path + "\r\n";
    }
  }
  return true;
}

struct Vd {
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;
  HWND list = nullptr;
  double startMs = 0;

  bool Start(const std::string& exe) {
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    const auto t = Clock::now();
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    while (!(main = ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Vexa Desktop")) && Ms(t, Clock::now()) < 120000)
      ::Sleep(5);
    while (ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Please wait") && Ms(t, Clock::now()) < 120000) ::Sleep(5);
    startMs = Ms(t, Clock::now());
    list = ::GetDlgItem(main, ids::imgList);
    return main != nullptr;
  }
  int Count() const {
    DWORD_PTR n = 0;
    ::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 20000, &n);
    return static_cast<int>(n);
  }
  double PrivateMb() const {
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    ::GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
    return static_cast<double>(m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage) / (1024.0 * 1024.0);
  }
  void End() {
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
};

// Waits until VD's list holds count entries, pinging the main window meanwhile.
void TimeUntilCount(const Vd& vd, int count, Clock::time_point t0, const char* what) {
  std::atomic<bool> done{false};
  double longest = 0;
  std::thread pinger([&] {
    while (!done) {
      const auto t = Clock::now();
      DWORD_PTR r = 0;
      ::SendMessageTimeoutA(vd.main, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &r);
      longest = std::max(longest, Ms(t, Clock::now()));
      ::Sleep(5);
    }
  });
  int n = 0;
  while ((n = vd.Count()) < count && Ms(t0, Clock::now()) < 300000) ::Sleep(10);
  const double took = Ms(t0, Clock::now());
  done = true;
  pinger.join();
  std::printf("%-40s %7.0f ms (%d entries), window unanswered at most %5.0f ms\n", what, took, n, longest);
}

// The longest the main window took to answer WM_NULL during ms.
double LongestWaitFor(const Vd& vd, int ms) {
  double longest = 0;
  const auto t0 = Clock::now();
  while (Ms(t0, Clock::now()) < ms) {
    const auto t = Clock::now();
    DWORD_PTR r = 0;
    ::SendMessageTimeoutA(vd.main, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &r);
    longest = std::max(longest, Ms(t, Clock::now()));
    ::Sleep(5);
  }
  return longest;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: watch_winbench VD.exe [files per folder]\n");
    return 2;
  }
  const int perFolder = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
  const int total = kFolders * perFolder;
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  const std::string temp = std::string(tmp) + "vd-watch-bench";
  ::CreateDirectoryA(temp.c_str(), nullptr);
  const std::string tree = temp + "\\Tree", drop = tree + "\\Drop", staging = temp + "\\Staging";
  const std::string list = temp + "\\VDesk.ini";
  auto t = Clock::now();
  std::string lines;
  if (!MakeTree(tree, perFolder, lines)) {
    std::printf("cannot write the pictures below %s\n", tree.c_str());
    return 1;
  }
  ::CreateDirectoryA(staging.c_str(), nullptr);
  for (int i = 0; i < kCopied; ++i) MakeEmptyFile(staging + "\\New picture " + std::to_string(i) + ".jpg");
  std::printf("%d pictures ready in %.0f ms\n", total, Ms(t, Clock::now()));
  ::SetEnvironmentVariableA("TEMP", temp.c_str());
  ::SetEnvironmentVariableA("TMP", temp.c_str());
  // Its own application data, so that no kept copy of another list comes back.
  ::SetEnvironmentVariableA("LOCALAPPDATA", (temp + " local").c_str());
  HKEY key = nullptr;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Tobrel's\\Vexa Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                    nullptr);
  ::RegSetValueExA(key, "Enabled VD", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
  ::RegSetValueExA(key, "SortingType", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
  ::RegCloseKey(key);

  // 1. The same pictures as plain entries.
  if (!WriteText(list, lines)) return 1;
  Vd plain;
  if (!plain.Start(argv[1])) {
    std::printf("cannot start %s\n", argv[1]);
    return 1;
  }
  // The same pings for as long as the watched start takes below, right after the start.
  const double plainWait = LongestWaitFor(plain, 3500);
  const double plainMb = plain.PrivateMb();
  std::printf("baseline: start to %d entries loaded:     %7.0f ms, private memory %.1f MB\n", plain.Count(),
              plain.startMs, plainMb);
  std::printf("baseline: window unanswered at most %.0f ms in the 3.5 s after the start\n", plainWait);
  plain.End();

  // 2. Only the watched tree.
  for (int i = 0; i < kCopied; ++i) ::DeleteFileA((drop + "\\New picture " + std::to_string(i) + ".jpg").c_str());
  ::CreateDirectoryA(drop.c_str(), nullptr);
  if (!WriteText(list, tree + "\\**\r\n")) return 1;
  Vd watching;
  t = Clock::now();
  if (!watching.Start(argv[1])) return 1;
  TimeUntilCount(watching, total, t, "watched: start to the tree in the list");
  ::Sleep(1000);
  t = Clock::now();
  for (int i = 0; i < kCopied; ++i) {
    const std::string name = "\\New picture " + std::to_string(i) + ".jpg";
    ::CopyFileA((staging + name).c_str(), (drop + name).c_str(), FALSE);
  }
  const double copyMs = Ms(t, Clock::now());
  TimeUntilCount(watching, total + kCopied, t, "1,000 copied in to all in the list");
  std::printf("  (copying itself took %.0f ms)\n", copyMs);
  ::Sleep(3000);
  const double watchMb = watching.PrivateMb();
  std::printf("watched: private memory %.1f MB, %.1f MB more than the baseline\n", watchMb, watchMb - plainMb);
  watching.End();
  return 0;
}
