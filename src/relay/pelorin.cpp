// Pelorin: hands its command line to the running VD through the text box of
// VD's main window, then starts VD with the same command line. It shows no
// window and keeps no state.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr UINT kRelayTimeoutMs = 1000;

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

std::string CurrentDirectory() {
  DWORD n = ::GetCurrentDirectoryA(0, nullptr);
  std::string dir(n, '\0');
  DWORD got = n ? ::GetCurrentDirectoryA(n, dir.data()) : 0;
  dir.resize(got < n ? got : 0);
  return dir;
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
  if (!dir.empty() && dir.back() == '\\') dir.pop_back();
  return dir;
}

// VD.exe in the current directory, as always; when that holds none (a
// shortcut or a shell verb with another working folder), the one beside Pelorin.
std::string MainProgramPath() {
  std::string here = WithoutTrailingBackslash(CurrentDirectory()) + "\\VD.exe";
  if (IsFile(here)) return here;
  std::string beside = OwnFolder() + "\\VD.exe";
  return IsFile(beside) ? beside : here;
}

bool SendTextToApp(HWND self, const std::string& text) {
  bool accepted = false;
  // A window found may belong to a second copy of VD (one an earlier relay
  // started) that ends itself while the text is on its way. Once it is gone,
  // the running copy's window is found instead; a window that is still there
  // but does not answer gets no second try. All within the one time-out.
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
  ::ShellExecuteA(self, "open", MainProgramPath().c_str(), text.c_str(), "", SW_SHOWDEFAULT);
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
