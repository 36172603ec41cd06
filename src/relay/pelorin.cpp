// Pelorin: hands its command line to the running VD through the text box of
// VD's main window, then starts VD with the same command line. It shows no
// window and keeps no state.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

namespace {

// How long Pelorin waits for VD to take the text. VD takes it at once and
// runs it later, pictures are made off its UI thread, and its longest
// stretch without messages (filling the list box with a 100,000-entry list)
// is about a second under Wine. 10 s is the safety net: past it VD is taken
// to hang.
constexpr UINT kRelayTimeoutMs = 10000;

// The command line without the program name and the blanks after it.
std::string OwnArguments() {
  const char* p = ::GetCommandLineA();
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p) ++p;
  }
  while (*p && *p != ' ' && *p != '\t') ++p;
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

// The text box of the first main window of that class that has one. A copy
// of VD that is starting up, or ending because another runs, shows its main
// window for a moment before its text box exists.
HWND FindBoxIn(const char* formClass, const char* boxClass, bool& formFound) {
  formFound = false;
  for (HWND w = nullptr; (w = ::FindWindowExA(nullptr, w, formClass, "Vexa Desktop")) != nullptr;) {
    formFound = true;
    if (HWND box = ::FindWindowExA(w, nullptr, boxClass, nullptr)) return box;
  }
  return nullptr;
}

// The text box of VD's main window: the finished program's window classes
// first; those of the development environment only when there is no such
// main window at all.
HWND FindCommandBox() {
  bool formFound = false;
  if (HWND box = FindBoxIn("ThunderRT6FormDC", "ThunderRT6TextBox", formFound)) return box;
  if (formFound) return nullptr;
  return FindBoxIn("ThunderFormDC", "ThunderTextBox", formFound);
}

std::string OwnFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of('\\'));
}

bool IsFile(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithoutTrailingBackslash(std::string dir) {
  while (!dir.empty() && dir.back() == '\\') dir.pop_back();
  return dir;
}

// The folder the setup program recorded; "" when there is none.
std::string InstalledFolder() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Tobrel's\\Vexa Desktop", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return {};
  std::string folder;
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(key, "InstalledDir", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
      size > 1) {
    folder.resize(size);
    if (::RegQueryValueExA(key, "InstalledDir", nullptr, &type, reinterpret_cast<BYTE*>(folder.data()), &size) ==
        ERROR_SUCCESS) {
      folder.resize(::strnlen(folder.c_str(), folder.size()));
    } else {
      folder.clear();
    }
  }
  ::RegCloseKey(key);
  return WithoutTrailingBackslash(folder);
}

bool IsFullPath(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
}

// VD by its full path: beside Pelorin, else (only when it must start, no VD
// having taken the text) in the folder the setup program recorded. Never the
// current folder nor the search path: the shell starts us in the folder of
// the file it was given (Downloads, say), and a VD.exe planted there must not
// run. "" when there is none to start; where it was looked for goes to tried.
std::string MainProgramPath(bool mustStart, std::string& tried) {
  const std::string beside = OwnFolder() + "\\VD.exe";
  if (IsFile(beside)) return beside;
  if (!mustStart) return {};
  tried = beside;
  const std::string installed = InstalledFolder();
  if (IsFullPath(installed)) {
    const std::string there = installed + "\\VD.exe";
    if (IsFile(there)) return there;
    tried += "\r\n" + there;
  }
  return {};
}

bool SendTextToApp(HWND self, const std::string& text) {
  bool accepted = false;
  // A window found may belong to a second copy of VD (one an earlier relay
  // started) that ends itself while the text is on its way. Once it is gone,
  // the running copy's window is found instead. A window that is still there
  // is waited for while it is busy, and never sent the text a second time:
  // the first may still be handled. All within the one time-out.
  const ULONGLONG deadline = ::GetTickCount64() + kRelayTimeoutMs;
  for (HWND box = FindCommandBox(); box; box = FindCommandBox()) {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) break;
    DWORD_PTR result = 0;
    LRESULT r = ::SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                                      static_cast<UINT>(deadline - now), &result);
    if (r != 0) {
      accepted = result != 0;
      break;
    }
    if (::IsWindow(box)) break;
  }
  // VD starts in its own folder, not in the folder Explorer started us in.
  // A VD that took the text has the command; a copy started beside us ends
  // at once. Without one, the command is lost unless the user hears of it.
  std::string tried;
  const std::string program = MainProgramPath(!accepted, tried);
  if (program.empty()) {
    if (!accepted)
      ::MessageBoxA(nullptr,
                    ("Vexa Desktop could not be started, because VD.exe was not found:\r\n" + tried +
                     "\r\n\r\nInstall Vexa Desktop again, or keep Pelorin.exe beside VD.exe.")
                        .c_str(),
                    "Vexa Desktop", MB_OK | MB_ICONEXCLAMATION);
    return accepted;
  }
  const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
  ::ShellExecuteA(self, "open", program.c_str(), text.c_str(), folder.c_str(), SW_SHOWDEFAULT);
  return accepted;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // A message-only window: the owner of the launch, never shown.
  HWND self = ::CreateWindowExA(0, "STATIC", "Pelorin for Vexa Desktop", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, nullptr);
  bool accepted = SendTextToApp(self, OwnArguments());
  if (self) ::DestroyWindow(self);
  return accepted ? 0 : 1;
}
