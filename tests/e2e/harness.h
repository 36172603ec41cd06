// Drives VD.exe and Pelorin.exe as a user and another program would: starts
// them, finds their windows, reads control texts, the registry and files.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace e2e {

inline constexpr const char* kProgramKey = "SOFTWARE\\Tobrel's\\Vexa Desktop";
inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kFormClass = "ThunderRT6FormDC";
inline constexpr const char* kMainTitle = "Vexa Desktop";
inline constexpr const char* kWaitTitle = "Please wait";

std::string BinDir();  // where the programs under test live
std::string VdExe();
std::string PelorinExe();

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs = 20);

class Process {
 public:
  Process() = default;
  Process(HANDLE process, DWORD pid) : h_(process), pid_(pid) {}
  Process(Process&& o) noexcept;
  Process& operator=(Process&& o) noexcept;
  ~Process();
  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return h_; }
  bool Running() const;
  bool WaitExit(int timeoutMs);
  std::optional<DWORD> ExitCode() const;
  void Kill();

 private:
  HANDLE h_ = nullptr;
  DWORD pid_ = 0;
};

// Starts exe with args; TEMP and TMP of the new process are tempFolder when
// given, and LOCALAPPDATA is LocalAppDataOf(tempFolder) (a null optional
// removes all three from its environment).
Process Start(const std::string& exe, const std::string& args, const std::optional<std::string>& tempFolder,
              const std::string& workingDir = "");

// The application-data folder of the programs a test starts with that TEMP:
// beside it, so that emptying TEMP leaves it.
inline std::string LocalAppDataOf(const std::string& tempFolder) { return tempFolder + " local"; }

// Top-level window of a process with the given class and title.
HWND FindProcessWindow(DWORD pid, const char* cls, const char* title);
HWND WaitForProcessWindow(DWORD pid, const char* cls, const char* title, int timeoutMs);
std::string WindowText(HWND w);
std::string ControlText(HWND parent, int id);
bool IsVisible(HWND w);
std::vector<std::string> ListBoxItems(HWND listBox);
int ListBoxSelection(HWND listBox);

// Terminates every VD.exe and Pelorin.exe still running.
void KillStrayPrograms();

std::optional<std::string> RegRead(HKEY hive, const std::string& key, const std::string& name);
void RegWrite(HKEY hive, const std::string& key, const std::string& name, const std::string& value);
void RegDeleteValueIfAny(HKEY hive, const std::string& key, const std::string& name);
void RegDeleteKeyTree(HKEY hive, const std::string& key);

std::optional<std::string> ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
void MakeFolder(const std::string& path);
std::string ShortPath(const std::string& path);

// A fresh folder below the session's temporary folder, removed afterwards.
class TempDir {
 public:
  explicit TempDir(const std::string& tag);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// 96-DPI layout units in pixels at the system's DPI, as VD lays out its windows.
int Scaled(int units);

// Sets the system's dots per inch for programs started from here on, and puts
// the old setting back when it goes.
class DpiSetting {
 public:
  explicit DpiSetting(DWORD dpi);
  ~DpiSetting();
  DpiSetting(const DpiSetting&) = delete;
  DpiSetting& operator=(const DpiSetting&) = delete;

 private:
  DWORD old_ = 96;
  bool had_ = false;
};

// A small valid 24-bit BMP of one colour (B, G, R).
std::string MakeBmp(int width, int height, unsigned char b, unsigned char g, unsigned char r);

// Each test starts with no VD running, an empty program key and its own TEMP.
class VdTest : public ::testing::Test {
 protected:
  VdTest();
  ~VdTest() override;

  // Starts VD and waits until its start-up has finished (main window loaded,
  // progress form gone).
  Process StartVd(const std::string& args = "", bool waitReady = true);
  bool WaitReady(const Process& p, int timeoutMs = 15000);
  HWND MainWindow(const Process& p) const;
  std::string DefaultListPath() const { return temp_.Path() + "\\VDesk.ini"; }
  // The default list file reads expected within timeoutMs: VD writes it
  // off its UI thread, a moment after the list it shows has changed.
  ::testing::AssertionResult ListFileIs(const std::string& expected, int timeoutMs = 3000) const;
  // Settings for a predictable change: no change at start, no suggested
  // style, no calendar page, and this desktop style.
  static void FixedStyle(int style);
  const TempDir& Temp() const { return temp_; }

  TempDir temp_;
  std::vector<Process*> started_;
};

}  // namespace e2e

// Text that may hold any character: the test program itself runs in the
// legacy code page, so these go through the wide API and UTF-8.
namespace e2e {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// As Start, but exe, args and workingDir are UTF-8 and reach the new process
// unchanged whatever the test program's own code page.
Process StartUtf8(const std::string& exe, const std::string& args, const std::optional<std::string>& tempFolder,
                  const std::string& workingDir = "");
void WriteFileUtf8Name(const std::string& path, const std::string& data);

// Ids of the running processes with that executable name (any folder).
std::vector<DWORD> ProcessIdsOf(const char* exeName);
// Full path of a running process's executable; empty when unknown.
std::string ProcessImagePath(DWORD pid);

}  // namespace e2e
