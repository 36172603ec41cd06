// Under Wine: VD with a 100,000-entry list. Start to list loaded (the
// baseline), then "Sort By" > "Name" and > "Location": command to the sorted
// list saved, and the longest the window took meanwhile to answer a message
// (what a repaint waits for). The pictures are empty files made on the first
// run and kept for the next.
// Usage: list_winbench VD.exe. Prints figures; never run as a test.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "main/control_ids.h"
#include "bench_files.h"
#include "process_window.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

constexpr int kFolders = 100, kPerFolder = 1000;

ULONGLONG LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (ULONGLONG{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime;
}

// Writes the list in an order that neither sort keeps: folders and numbers mixed.
bool MakeList(const std::string& temp, const std::string& list) {
  std::string text;
  text.reserve(std::size_t{kFolders} * kPerFolder * 64);
  for (int i = 0; i < kFolders * kPerFolder; ++i) {
    const int k = static_cast<int>((static_cast<long long>(i) * 7919) % (kFolders * kPerFolder));
    const std::string folder = temp + "\\Album " + std::to_string(k % kFolders);
    const std::string path = folder + "\\Holiday picture " + std::to_string(k / kFolders) + ".jpg";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    if (!MakeEmptyFile(path)) return false;
    text += path + "\r\n";
  }
  return WriteText(list, text);
}

// Posts a sort command and waits for the saved list, pinging the window meanwhile.
void TimeSort(HWND main, const std::string& list, int id, const char* what) {
  const ULONGLONG before = LastWrite(list);
  std::atomic<bool> done{false};
  double longest = 0;
  std::thread pinger([&] {
    while (!done) {
      const auto t = Clock::now();
      DWORD_PTR r = 0;
      ::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &r);
      longest = std::max(longest, Ms(t, Clock::now()));
      ::Sleep(5);
    }
  });
  const auto t0 = Clock::now();
  ::PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0);
  while (LastWrite(list) == before && Ms(t0, Clock::now()) < 60000) ::Sleep(2);
  const double took = Ms(t0, Clock::now());
  done = true;
  pinger.join();
  std::printf("sort by %-8s command to list saved: %7.0f ms, window unanswered at most %6.0f ms\n", what, took,
              longest);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: list_winbench VD.exe\n");
    return 2;
  }
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  const std::string temp = std::string(tmp) + "vd-list-bench";
  ::CreateDirectoryA(temp.c_str(), nullptr);
  const std::string list = temp + "\\VDesk.ini";
  auto t = Clock::now();
  if (!MakeList(temp, list)) {
    std::printf("cannot write the pictures or the list below %s\n", temp.c_str());
    return 1;
  }
  std::printf("%d pictures and the list ready in %.0f ms\n", kFolders * kPerFolder, Ms(t, Clock::now()));
  ::SetEnvironmentVariableA("TEMP", temp.c_str());
  ::SetEnvironmentVariableA("TMP", temp.c_str());
  HKEY key = nullptr;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Tobrel's\\Vexa Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                    nullptr);
  ::RegSetValueExA(key, "Enabled VD", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
  ::RegSetValueExA(key, "SortingType", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
  ::RegCloseKey(key);

  std::string cmd = "\"" + std::string(argv[1]) + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  t = Clock::now();
  if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("cannot start %s\n", argv[1]);
    return 1;
  }
  HWND main = nullptr;
  while (!(main = ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Vexa Desktop")) && Ms(t, Clock::now()) < 120000)
    ::Sleep(5);
  while (ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Please wait") && Ms(t, Clock::now()) < 120000) ::Sleep(5);
  std::printf("start to list loaded:                     %7.0f ms (baseline)\n", Ms(t, Clock::now()));
  ::Sleep(1000);
  TimeSort(main, list, ids::mnuSBase + 1, "Name");
  TimeSort(main, list, ids::mnuSBase, "Location");
  ::TerminateProcess(pi.hProcess, 0);
  ::WaitForSingleObject(pi.hProcess, 5000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return 0;
}
