// Stands in for the system's image editor: records the command line it was
// started with in %TEMP%\mspaint-command.txt (UTF-8) and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t temp[MAX_PATH * 4] = {};
  ::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH * 4);
  const std::wstring path = std::wstring(temp) + L"\\mspaint-command.txt";
  const wchar_t* cmd = ::GetCommandLineW();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, cmd, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, cmd, -1, utf8.data(), n, nullptr, nullptr);
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD put = 0;
  ::WriteFile(f, utf8.data(), static_cast<DWORD>(utf8.size()), &put, nullptr);
  ::CloseHandle(f);
  return 0;
}
