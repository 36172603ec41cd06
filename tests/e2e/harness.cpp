#include "harness.h"

#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace e2e {

std::string BinDir() {
  char buf[MAX_PATH * 4];
  DWORD n = ::GetModuleFileNameA(nullptr, buf, sizeof buf);
  std::string p(buf, n);
  return p.substr(0, p.find_last_of('\\'));
}

std::string VdExe() { return BinDir() + "\\VD.exe"; }
std::string PelorinExe() { return BinDir() + "\\Pelorin.exe"; }

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    ::Sleep(static_cast<DWORD>(pollMs));
  }
}

Process::Process(Process&& o) noexcept : h_(std::exchange(o.h_, nullptr)), pid_(std::exchange(o.pid_, 0)) {}

Process& Process::operator=(Process&& o) noexcept {
  if (this != &o) {
    Kill();
    if (h_) ::CloseHandle(h_);
    h_ = std::exchange(o.h_, nullptr);
    pid_ = std::exchange(o.pid_, 0);
  }
  return *this;
}

Process::~Process() {
  Kill();
  if (h_) ::CloseHandle(h_);
}

bool Process::Running() const { return h_ && ::WaitForSingleObject(h_, 0) == WAIT_TIMEOUT; }

bool Process::WaitExit(int timeoutMs) { return !h_ || ::WaitForSingleObject(h_, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0; }

std::optional<DWORD> Process::ExitCode() const {
  DWORD code = 0;
  if (!h_ || !::GetExitCodeProcess(h_, &code) || code == STILL_ACTIVE) return std::nullopt;
  return code;
}

void Process::Kill() {
  if (Running()) {
    ::TerminateProcess(h_, 99);
    ::WaitForSingleObject(h_, 5000);
  }
}

namespace {

// The current environment with TEMP/TMP replaced (or removed), and
// LOCALAPPDATA with them: each test's programs keep their own application data.
std::vector<char> EnvironmentWithTemp(const std::optional<std::string>& temp) {
  std::vector<char> block;
  char* env = ::GetEnvironmentStringsA();
  for (const char* p = env; *p; p += std::strlen(p) + 1) {
    std::string entry(p);
    std::string upper = entry.substr(0, 5);
    for (auto& c : upper) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    if (upper.rfind("TEMP=", 0) == 0 || upper.rfind("TMP=", 0) == 0) continue;
    std::string name = entry.substr(0, 13);
    for (auto& c : name) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    if (name == "LOCALAPPDATA=") continue;
    block.insert(block.end(), entry.begin(), entry.end());
    block.push_back('\0');
  }
  ::FreeEnvironmentStringsA(env);
  if (temp) {
    for (const char* name : {"TEMP=", "TMP="}) {
      std::string e = std::string(name) + *temp;
      block.insert(block.end(), e.begin(), e.end());
      block.push_back('\0');
    }
    const std::string local = "LOCALAPPDATA=" + LocalAppDataOf(*temp);
    block.insert(block.end(), local.begin(), local.end());
    block.push_back('\0');
  }
  block.push_back('\0');
  return block;
}

}  // namespace

Process Start(const std::string& exe, const std::string& args, const std::optional<std::string>& tempFolder,
              const std::string& workingDir) {
  // The harness runs in the UTF-8 code page, so its texts are UTF-8 already.
  return StartUtf8(exe, args, tempFolder, workingDir);
}

HWND FindProcessWindow(DWORD pid, const char* cls, const char* title) {
  HWND w = nullptr;
  while ((w = ::FindWindowExA(nullptr, w, cls, title)) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

HWND WaitForProcessWindow(DWORD pid, const char* cls, const char* title, int timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindProcessWindow(pid, cls, title)) != nullptr; }, timeoutMs);
  return found;
}

std::string WindowText(HWND w) {
  char buf[65536];
  DWORD_PTR n = 0;
  if (!w || !::SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 3000, &n))
    return {};
  return std::string(buf, n);
}

std::string ControlText(HWND parent, int id) { return WindowText(::GetDlgItem(parent, id)); }

bool IsVisible(HWND w) { return w && ::IsWindowVisible(w); }

std::vector<std::string> ListBoxItems(HWND lb) {
  // Read as UTF-16 and convert here: ANSI list-box texts do not survive the
  // trip between processes under Wine.
  std::vector<std::string> items;
  DWORD_PTR count = 0;
  if (!::SendMessageTimeoutW(lb, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &count)) return items;
  for (int i = 0; i < static_cast<int>(count); ++i) {
    DWORD_PTR len = 0;
    ::SendMessageTimeoutW(lb, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, 3000, &len);
    if (static_cast<LRESULT>(len) < 0 || len > 1u << 16) continue;  // the list changed meanwhile
    std::wstring w(len + 1, L'\0');
    DWORD_PTR got = 0;
    ::SendMessageTimeoutW(lb, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(w.data()), SMTO_ABORTIFHUNG,
                          3000, &got);
    w.resize(got <= len ? got : len);
    items.push_back(Utf8(w));
  }
  return items;
}

int ListBoxSelection(HWND lb) {
  DWORD_PTR sel = 0;
  ::SendMessageTimeoutA(lb, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &sel);
  return static_cast<int>(static_cast<LRESULT>(sel));
}

void KillStrayPrograms() {
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 pe{};
  pe.dwSize = sizeof pe;
  for (BOOL ok = ::Process32First(snap, &pe); ok; ok = ::Process32Next(snap, &pe)) {
    if (_stricmp(pe.szExeFile, "VD.exe") != 0 && _stricmp(pe.szExeFile, "Pelorin.exe") != 0) continue;
    if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID)) {
      ::TerminateProcess(h, 99);
      ::WaitForSingleObject(h, 5000);
      ::CloseHandle(h);
    }
  }
  ::CloseHandle(snap);
}

std::optional<std::string> RegRead(HKEY hive, const std::string& key, const std::string& name) {
  char buf[70000];
  DWORD size = sizeof buf;
  DWORD type = 0;
  if (::RegGetValueA(hive, key.c_str(), name.c_str(), RRF_RT_REG_SZ, &type, buf, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buf);
}

void RegWrite(HKEY hive, const std::string& key, const std::string& name, const std::string& value) {
  HKEY k = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr), ERROR_SUCCESS);
  ::RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(k);
}

void RegDeleteValueIfAny(HKEY hive, const std::string& key, const std::string& name) {
  HKEY k = nullptr;
  if (::RegOpenKeyExA(hive, key.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(k, name.c_str());
  ::RegCloseKey(k);
}

void RegDeleteKeyTree(HKEY hive, const std::string& key) { ::RegDeleteTreeA(hive, key.c_str()); ::RegDeleteKeyA(hive, key.c_str()); }

std::optional<std::string> ReadFileText(const std::string& path) {
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buf[65536];
  DWORD got = 0;
  while (::ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
  ::CloseHandle(f);
  return data;
}

void WriteFileText(const std::string& path, const std::string& text) {
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  DWORD put = 0;
  ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  ::CloseHandle(f);
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFolder(const std::string& path) { ::CreateDirectoryA(path.c_str(), nullptr); }

std::string ShortPath(const std::string& path) {
  char buf[MAX_PATH * 4];
  DWORD n = ::GetShortPathNameA(path.c_str(), buf, sizeof buf);
  return n ? std::string(buf, n) : path;
}

namespace {
void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string p = dir + "\\" + name;
      ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(p);
      else
        ::DeleteFileA(p.c_str());
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
  }
  ::RemoveDirectoryA(dir.c_str());
}
}  // namespace

TempDir::TempDir(const std::string& tag) {
  char base[MAX_PATH * 2];
  ::GetTempPathA(sizeof base, base);
  static int counter = 0;
  path_ = std::string(base) + "vd-e2e-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  RemoveTree(path_);
  ::CreateDirectoryA(path_.c_str(), nullptr);
  RemoveTree(LocalAppDataOf(path_));
  ::CreateDirectoryA(LocalAppDataOf(path_).c_str(), nullptr);  // always there on Windows
}

TempDir::~TempDir() {
  RemoveTree(path_);
  RemoveTree(LocalAppDataOf(path_));
}

std::string MakeBmp(int width, int height, unsigned char b, unsigned char g, unsigned char r) {
  int rowBytes = (width * 3 + 3) & ~3;
  int imageSize = rowBytes * height;
  std::string out(54 + imageSize, '\0');
  auto put32 = [&](int off, unsigned v) {
    for (int i = 0; i < 4; ++i) out[off + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<unsigned>(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<unsigned>(width));
  put32(22, static_cast<unsigned>(height));
  out[26] = 1;
  out[28] = 24;
  put32(34, static_cast<unsigned>(imageSize));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int o = 54 + y * rowBytes + x * 3;
      out[o] = static_cast<char>(b);
      out[o + 1] = static_cast<char>(g);
      out[o + 2] = static_cast<char>(r);
    }
  }
  return out;
}

int Scaled(int units) {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return ::MulDiv(units, dpi > 0 ? dpi : 96, 96);
}

DpiSetting::DpiSetting(DWORD dpi) {
  DWORD size = sizeof old_;
  had_ = ::RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
         ERROR_SUCCESS;
  ::RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

DpiSetting::~DpiSetting() {
  if (had_)
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &old_, sizeof old_);
  else
    RegDeleteValueIfAny(HKEY_CURRENT_USER, kDesktopKey, "LogPixels");
}

VdTest::VdTest() : temp_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
  KillStrayPrograms();
  RegDeleteKeyTree(HKEY_CURRENT_USER, kProgramKey);
  RegDeleteValueIfAny(HKEY_CURRENT_USER, kRunKey, "Vexa Desktop");
  RegDeleteValueIfAny(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle");
}

VdTest::~VdTest() { KillStrayPrograms(); }

Process VdTest::StartVd(const std::string& args, bool waitReady) {
  Process p = Start(VdExe(), args, temp_.Path());
  if (waitReady) {
    EXPECT_TRUE(WaitReady(p)) << "VD did not finish starting";
  }
  return p;
}

bool VdTest::WaitReady(const Process& p, int timeoutMs) {
  // Ready: the main window exists and the progress form has been gone for a while.
  int quiet = 0;
  return WaitUntil(
      [&] {
        bool main = FindProcessWindow(p.Pid(), kFormClass, kMainTitle) != nullptr;
        bool wait = FindProcessWindow(p.Pid(), kFormClass, kWaitTitle) != nullptr;
        quiet = (main && !wait) ? quiet + 1 : 0;
        return quiet >= 5;
      },
      timeoutMs, 50);
}

::testing::AssertionResult VdTest::ListFileIs(const std::string& expected, int timeoutMs) const {
  std::optional<std::string> text;
  if (WaitUntil([&] { return (text = ReadFileText(DefaultListPath())) == expected; }, timeoutMs))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the list file reads\n" << text.value_or("(no file)") << "\ninstead of\n"
                                       << expected;
}

void VdTest::FixedStyle(int style) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Auto Decision", "0");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "0");
  RegWrite(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", std::to_string(style));
}

HWND VdTest::MainWindow(const Process& p) const { return FindProcessWindow(p.Pid(), kFormClass, kMainTitle); }

}  // namespace e2e

namespace e2e {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

Process StartUtf8(const std::string& exe, const std::string& args, const std::optional<std::string>& tempFolder,
                  const std::string& workingDir) {
  std::wstring cmd = L"\"" + Wide(exe) + L"\"";
  if (!args.empty()) cmd += L" " + Wide(args);
  std::vector<wchar_t> cmdBuf(cmd.begin(), cmd.end());
  cmdBuf.push_back(L'\0');
  std::vector<char> env = EnvironmentWithTemp(tempFolder);
  const std::wstring dir = Wide(workingDir);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // Wine reports ERROR_INTERNAL_ERROR when a new process dies inside Wine's own
  // start-up, before any of its code runs (seen once in hundreds of starts on a
  // loaded machine). That start is tried once more; any other failure stands.
  for (int attempt = 1;; ++attempt) {
    std::vector<wchar_t> writable = cmdBuf;  // CreateProcessW may write into it
    if (::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, env.data(),
                         dir.empty() ? nullptr : dir.c_str(), &si, &pi))
      break;
    const DWORD error = ::GetLastError();
    if (error == ERROR_INTERNAL_ERROR && attempt == 1) {
      std::fprintf(stderr, "note: Wine could not start %s (error 1359); starting it again\n", exe.c_str());
      ::Sleep(200);
      continue;
    }
    ADD_FAILURE() << "CreateProcess failed for " << exe << ": " << error;
    return {};
  }
  ::CloseHandle(pi.hThread);
  return Process(pi.hProcess, pi.dwProcessId);
}

void WriteFileUtf8Name(const std::string& path, const std::string& data) {
  HANDLE f = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  DWORD put = 0;
  ::WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
  ::CloseHandle(f);
}

std::vector<DWORD> ProcessIdsOf(const char* exeName) {
  std::vector<DWORD> ids;
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 pe{};
  pe.dwSize = sizeof pe;
  for (BOOL ok = ::Process32First(snap, &pe); ok; ok = ::Process32Next(snap, &pe)) {
    if (_stricmp(pe.szExeFile, exeName) == 0) ids.push_back(pe.th32ProcessID);
  }
  ::CloseHandle(snap);
  return ids;
}

std::string ProcessImagePath(DWORD pid) {
  HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) return {};
  wchar_t buf[MAX_PATH * 4];
  DWORD n = MAX_PATH * 4;
  std::string path = ::QueryFullProcessImageNameW(h, 0, buf, &n) ? Utf8(std::wstring(buf, n)) : std::string();
  ::CloseHandle(h);
  return path;
}

}  // namespace e2e
