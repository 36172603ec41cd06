#include "platform/process.h"

#include <windows.h>

namespace platform {

namespace {

bool IsAbsoluteFile(const std::string& path) {
  // A drive and a backslash, or a UNC name: nothing the search path completes.
  const bool absolute = (path.size() > 2 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
  const DWORD a = absolute ? ::GetFileAttributesA(path.c_str()) : INVALID_FILE_ATTRIBUTES;
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string RegisteredPath(HKEY hive, const char* key) {
  char value[MAX_PATH * 4] = {};
  DWORD size = sizeof value;
  // REG_SZ also admits a REG_EXPAND_SZ value ("%SystemRoot%\System32\mspaint.exe"), expanded.
  if (::RegGetValueA(hive, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  std::string path = value;
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
  return path;
}

}  // namespace

std::string ImageEditorPath() {
  const char* const key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\mspaint.exe";
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    const std::string path = RegisteredPath(hive, key);
    if (IsAbsoluteFile(path)) return path;
  }
  char system[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryA(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  const std::string path = std::string(system) + "\\mspaint.exe";
  return IsAbsoluteFile(path) ? path : std::string();
}

bool ShowInExplorer(const std::string& path) {
  std::string windows(MAX_PATH, '\0');
  const UINT n = ::GetWindowsDirectoryA(windows.data(), static_cast<UINT>(windows.size()));
  if (n == 0 || n >= windows.size()) return false;
  windows.resize(n);
  if (windows.back() == '\\') windows.pop_back();
  // Never a program of that name in the current folder or on the search path.
  const std::string explorer = windows + "\\explorer.exe";
  return StartProgram(explorer, "\"" + explorer + "\" /select,\"" + path + "\"", SW_SHOWNORMAL);
}

void UseOwnFolderAsCurrent() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return;
  path.resize(slash + 1);  // "C:\" stays a root
  ::SetCurrentDirectoryA(path.c_str());
}

bool StartProgram(const std::string& application, std::string commandLine, int show) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(application.empty() ? nullptr : application.c_str(), commandLine.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return true;
}

}  // namespace platform
