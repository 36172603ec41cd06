// The delivery: the setup program that scripts/package builds installs the
// programs for the current user, adds the Start-menu shortcut, the entry in
// the list of installed programs and the Explorer commands, which reach VD
// through Pelorin; the uninstaller takes all of that away again and leaves
// the user's lists and settings alone, or, when asked to, removes the
// settings with VD's own list files, bitmap and scratch files.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <functional>

#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"

namespace e2e {
namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexa Desktop";
constexpr const char* kClasses = "Software\\Classes";
constexpr const char* kPictureVerb = "VexaDesktop.Add";
constexpr const char* kFolderVerb = "VexaDesktop.AddFolder";
constexpr const char* kListProgId = "VexaDesktop.List";
constexpr std::array<const char*, 10> kPictureTypes = {".bmp", ".dib", ".jpg", ".jpeg", ".jpe",
                                                       ".jfif", ".gif", ".png", ".tif", ".tiff"};

std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR p = nullptr;
  std::string path;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &p))) path = Utf8(p);
  ::CoTaskMemFree(p);
  return path;
}

std::string InstallDir() { return KnownFolder(FOLDERID_LocalAppData) + "\\Programs\\Vexa Desktop"; }
std::string ShortcutPath() { return KnownFolder(FOLDERID_Programs) + "\\Vexa Desktop.lnk"; }

// build/windows/bin -> build/dist
std::string DistDir() {
  std::string bin = BinDir();
  std::string windows = bin.substr(0, bin.find_last_of('\\'));
  return windows.substr(0, windows.find_last_of('\\')) + "\\dist";
}

std::string SetupExe() {
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((DistDir() + "\\VexaDesktop-*-Setup.exe").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return {};
  ::FindClose(h);
  return DistDir() + "\\" + fd.cFileName;
}

bool KeyExists(HKEY hive, const std::string& key) {
  HKEY k = nullptr;
  if (::RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  ::RegCloseKey(k);
  return true;
}

std::optional<DWORD> RegReadDword(HKEY hive, const std::string& key, const std::string& name) {
  DWORD v = 0, size = sizeof v;
  if (::RegGetValueA(hive, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return v;
}

// "major.minor.build" of a program's version resource.
std::string FileVersion(const std::string& exe) {
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!size || !::GetFileVersionInfoA(exe.c_str(), 0, size, data.data()) ||
      !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info)
    return {};
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS));
}

std::string ShortcutTarget(const std::string& lnk) {
  std::string target;
  IShellLinkW* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
    return target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t path[MAX_PATH * 2] = {};
    if (SUCCEEDED(file->Load(Wide(lnk).c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH * 2, nullptr, SLGP_RAWPATH)))
      target = Utf8(path);
    file->Release();
  }
  link->Release();
  return target;
}

void RemoveTreeW(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring p = dir + L"\\" + name;
      ::SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTreeW(p);
      else
        ::DeleteFileW(p.c_str());
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  ::RemoveDirectoryW(dir.c_str());
}

bool RunningUnderWine() { return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// Everything the setup program may have left from an earlier test.
void RemoveInstallation() {
  RemoveTreeW(Wide(InstallDir()));
  ::DeleteFileW(Wide(ShortcutPath()).c_str());
  RegDeleteKeyTree(HKEY_CURRENT_USER, kUninstallKey);
  for (const char* ext : kPictureTypes)
    RegDeleteKeyTree(HKEY_CURRENT_USER, std::string(kClasses) + "\\SystemFileAssociations\\" + ext + "\\shell\\" + kPictureVerb);
  RegDeleteKeyTree(HKEY_CURRENT_USER, std::string(kClasses) + "\\Directory\\shell\\" + kFolderVerb);
  RegDeleteKeyTree(HKEY_CURRENT_USER, std::string(kClasses) + "\\.vdl");
  RegDeleteKeyTree(HKEY_CURRENT_USER, std::string(kClasses) + "\\" + kListProgId);
}

// Wine's HKEY_CLASSES_ROOT is the machine's classes only, where Windows
// merges the user's own (HKCU\Software\Classes) over them; Wine's
// ShellExecuteEx looks for a file's verbs under its type's class only, where
// Windows also reads SystemFileAssociations; and for a folder under "Folder"
// only, where Windows also reads "Directory". Under Wine, the test copies the
// user's entries to where Wine's shell reads them; on Windows it does nothing.
class WineClassesView {
 public:
  WineClassesView() {
    if (!RunningUnderWine()) return;
    for (const char* ext : kPictureTypes) {
      std::string cls = RegRead(HKEY_CLASSES_ROOT, ext, "").value_or("");
      if (cls.empty() || cls.rfind(kOwnClass, 0) == 0) {  // none, or one an aborted run left
        cls = kOwnClass + std::string(ext);
        RegWrite(HKEY_LOCAL_MACHINE, std::string(kClasses) + "\\" + ext, "", cls);
        created_.push_back(std::string(kClasses) + "\\" + ext);
        created_.push_back(std::string(kClasses) + "\\" + cls);
      }
      Copy(std::string(kClasses) + "\\SystemFileAssociations\\" + ext + "\\shell\\" + kPictureVerb,
           std::string(kClasses) + "\\" + cls + "\\shell\\" + kPictureVerb);
    }
    for (std::string key : {std::string("Directory\\shell\\") + kFolderVerb, std::string(".vdl"),
                            std::string(kListProgId)})
      Copy(std::string(kClasses) + "\\" + key, std::string(kClasses) + "\\" + key);
    Copy(std::string(kClasses) + "\\Directory\\shell\\" + kFolderVerb,
         std::string(kClasses) + "\\Folder\\shell\\" + kFolderVerb);
  }
  ~WineClassesView() {
    for (const std::string& k : created_) RegDeleteKeyTree(HKEY_LOCAL_MACHINE, k);
  }
  WineClassesView(const WineClassesView&) = delete;
  WineClassesView& operator=(const WineClassesView&) = delete;

 private:
  void Copy(const std::string& userKey, const std::string& machineKey) {
    HKEY from = nullptr, to = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, userKey.c_str(), 0, KEY_READ, &from) != ERROR_SUCCESS) return;
    created_.push_back(machineKey);  // every key copied is one of the program's own
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, machineKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &to,
                          nullptr) == ERROR_SUCCESS) {
      ::RegCopyTreeA(from, nullptr, to);
      ::RegCloseKey(to);
    }
    ::RegCloseKey(from);
  }
  static constexpr const char* kOwnClass = "VexaDesktopTest";
  std::vector<std::string> created_;
};

// TEMP of this process, so that what the shell starts (Pelorin, and the VD
// it may start) uses the test's own temporary folder, and application-data
// folder, as the programs the harness starts do.
class ScopedTempVariable {
 public:
  explicit ScopedTempVariable(const std::string& dir) {
    for (const char* name : {"TEMP", "TMP", "LOCALAPPDATA"}) {
      char buf[MAX_PATH * 4];
      DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
      saved_.emplace_back(name, n ? std::optional<std::string>(std::string(buf, n)) : std::nullopt);
      const std::string value = std::string(name) == "LOCALAPPDATA" ? LocalAppDataOf(dir) : dir;
      ::SetEnvironmentVariableA(name, value.c_str());
    }
  }
  ~ScopedTempVariable() {
    for (auto& [name, value] : saved_) ::SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
  }
  ScopedTempVariable(const ScopedTempVariable&) = delete;
  ScopedTempVariable& operator=(const ScopedTempVariable&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

std::string Lines(const std::vector<std::string>& paths) {
  std::string s;
  for (const std::string& p : paths) s += p + "\r\n";
  return s;
}

class PackageTest : public VdTest {
 protected:
  PackageTest() : tempVariable_(Temp().Path()) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    RemoveInstallation();
  }
  ~PackageTest() override {
    KillStrayPrograms();
    RemoveInstallation();
    ::CoUninitialize();
  }

  static std::string InstalledVd() { return InstallDir() + "\\VD.exe"; }

  std::optional<DWORD> RunToEnd(const std::string& exe, const std::string& args, int timeoutMs = 60000) {
    Process p = StartUtf8(exe, args, Temp().Path());
    if (!p.WaitExit(timeoutMs)) return std::nullopt;
    return p.ExitCode();
  }

  void InstallSilently() {
    const std::string setup = SetupExe();
    ASSERT_FALSE(setup.empty()) << "no setup program in " << DistDir() << ": run scripts/package first";
    EXPECT_EQ(RunToEnd(setup, "/S"), std::optional<DWORD>(0));
    ASSERT_TRUE(FileExists(InstalledVd()));
  }

  // The uninstaller copies itself away and ends at once; the copy does the work.
  void UninstallSilently() {
    EXPECT_EQ(RunToEnd(InstallDir() + "\\Uninstall.exe", "/S"), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitUntil([] { return !FileExists(InstallDir()); }, 60000, 100)) << InstallDir() << " is still there";
  }

  // The Explorer command of that verb on path, as a user's click runs it; waits
  // for Pelorin (or whatever the shell started) to end.
  bool InvokeVerb(const std::string& verb, const std::string& path) {
    const std::wstring v = Wide(verb), file = Wide(path);
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    sei.lpVerb = v.c_str();
    sei.lpFile = file.c_str();
    sei.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&sei)) {
      ADD_FAILURE() << "ShellExecuteEx \"" << verb << "\" on " << path << " failed: " << ::GetLastError();
      return false;
    }
    if (sei.hProcess) {
      ::WaitForSingleObject(sei.hProcess, 60000);
      ::CloseHandle(sei.hProcess);
    }
    return true;
  }

  bool ListBecomes(const std::string& expected, int timeoutMs = 30000) {
    return WaitUntil([&] { return ReadFileText(DefaultListPath()).value_or("") == expected; }, timeoutMs, 100);
  }

  ScopedTempVariable tempVariable_;
};

TEST_F(PackageTest, SilentInstallTwiceThenSilentUninstallLeavesTheUsersListsAndSettings) {
  InstallSilently();
  const std::string dir = InstallDir();
  const std::string pelorin = dir + "\\Pelorin.exe";

  // The programs are those the build made, byte for byte.
  for (const char* exe : {"VD.exe", "Pelorin.exe"}) {
    auto built = ReadFileText(BinDir() + "\\" + exe);
    ASSERT_TRUE(built);
    EXPECT_TRUE(ReadFileText(dir + "\\" + exe) == built) << exe << " differs from the build's";
  }
  EXPECT_TRUE(FileExists(dir + "\\Read me.txt"));
  EXPECT_TRUE(FileExists(dir + "\\Uninstall.exe"));
  // The product page that About's "Website" opens.
  EXPECT_EQ(ReadFileText(dir + "\\Softwares\\VDesk.htm"), ReadFileText(BinDir() + "\\Softwares\\VDesk.htm"));
  EXPECT_EQ(ShortcutTarget(ShortcutPath()), dir + "\\VD.exe");

  // The list of installed programs, with VD's own version.
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kUninstallKey, "DisplayName"), "Vexa Desktop");
  const std::string version = FileVersion(VdExe());
  EXPECT_FALSE(version.empty());
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion"), version);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kUninstallKey, "Publisher"), "Tobrel's");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation"), dir);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kUninstallKey, "UninstallString"), "\"" + dir + "\\Uninstall.exe\"");
  EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, kUninstallKey, "NoModify"), std::optional<DWORD>(1));

  // The Explorer commands, for this user only.
  for (const char* ext : kPictureTypes) {
    const std::string verb = std::string(kClasses) + "\\SystemFileAssociations\\" + ext + "\\shell\\" + kPictureVerb;
    EXPECT_EQ(RegRead(HKEY_CURRENT_USER, verb, ""), "Add to Vexa Desktop") << ext;
    EXPECT_EQ(RegRead(HKEY_CURRENT_USER, verb + "\\command", ""), "\"" + pelorin + "\" -i \"%1\"") << ext;
  }
  const std::string folderVerb = std::string(kClasses) + "\\Directory\\shell\\" + kFolderVerb;
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, folderVerb, ""), "Add folder to Vexa Desktop");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, folderVerb + "\\command", ""), "\"" + pelorin + "\" -n \"%1\"");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, std::string(kClasses) + "\\.vdl", ""), kListProgId);
  const std::string listClass = std::string(kClasses) + "\\" + kListProgId;
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, listClass + "\\shell\\open", ""), "Load in Vexa Desktop");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, listClass + "\\shell\\open\\command", ""), "\"" + pelorin + "\" -l \"%1\"");
  // The list files' icon is one of VD.exe's own.
  const std::string icon = RegRead(HKEY_CURRENT_USER, listClass + "\\DefaultIcon", "").value_or("");
  const std::size_t comma = icon.find_last_of(',');
  ASSERT_NE(comma, std::string::npos) << icon;
  EXPECT_EQ(icon.substr(0, comma), dir + "\\VD.exe");
  HICON large = nullptr;
  EXPECT_EQ(::ExtractIconExA(icon.substr(0, comma).c_str(), std::stoi(icon.substr(comma + 1)), &large, nullptr, 1), 1u);
  if (large) ::DestroyIcon(large);

  // Installing again works, also over an older version (stood for by other
  // program bytes and an older version number): everything is replaced.
  WriteFileText(dir + "\\VD.exe", "an older VD");
  RegWrite(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion", "1.0.1");
  InstallSilently();
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion"), version);
  EXPECT_TRUE(ReadFileText(dir + "\\VD.exe") == ReadFileText(VdExe()));

  // What the user made: settings, the start-up entry, lists of their own.
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "0");
  RegWrite(HKEY_CURRENT_USER, kRunKey, "Vexa Desktop", "\"" + dir + "\\VD.exe\"");
  const std::string userList = Temp() / "My pictures.vdl";
  WriteFileText(userList, "C:\\a.jpg\r\n");
  WriteFileText(DefaultListPath(), "C:\\b.jpg\r\n");

  UninstallSilently();
  EXPECT_FALSE(FileExists(dir));
  EXPECT_FALSE(FileExists(ShortcutPath()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  for (const char* ext : kPictureTypes)
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kClasses) + "\\SystemFileAssociations\\" + ext + "\\shell\\" +
                                                  kPictureVerb))
        << ext;
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, folderVerb));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kClasses) + "\\.vdl"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, listClass));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kRunKey, "Vexa Desktop"), std::nullopt);
  // A silent uninstall cannot ask, so it keeps the settings.
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kProgramKey, "ShowDate"), "0");
  EXPECT_EQ(ReadFileText(userList), "C:\\a.jpg\r\n");
  EXPECT_TRUE(ListFileIs("C:\\b.jpg\r\n"));
}

TEST_F(PackageTest, ExplorerCommandsReachTheRunningVd) {
  InstallSilently();
  WineClassesView view;
  // Names with blanks and other scripts, and a path of 250 characters.
  const std::string folder = Temp() / "Fotos und Bilder";
  MakeFolder(folder);
  const std::string omega = folder + "\\\xCE\xA9mega \xE5\x86\x99\xE7\x9C\x9F.jpg";  // "Ωmega 写真.jpg"
  const std::string gif = folder + "\\Sommer am See.gif";
  const std::string bmp = folder + "\\Winter.bmp";
  ASSERT_TRUE(MakeSolidPicture(omega, 16, 16, "jpg", 0xCC2020));
  ASSERT_TRUE(MakeSolidPicture(gif, 16, 16, "gif", 0x20CC20));
  ASSERT_TRUE(MakeSolidPicture(bmp, 16, 16, "bmp", 0x2020CC));
  std::string deep = Temp() / "tief unten";
  MakeFolder(deep);
  while (deep.size() + 60 < 250) {
    deep += "\\ein recht langer Ordnername";
    MakeFolder(deep);
  }
  const std::string longPicture = deep + "\\" + std::string(250 - deep.size() - 5, 'x') + ".jpg";
  ASSERT_EQ(longPicture.size(), 250u);
  ASSERT_TRUE(MakeSolidPicture(longPicture, 16, 16, "jpg", 0x808080));

  Process vd = Start(InstalledVd(), "", Temp().Path());
  ASSERT_TRUE(WaitReady(vd));
  HWND main = MainWindow(vd);
  ASSERT_FALSE(IsVisible(main));

  std::vector<std::string> expected;
  for (const std::string& picture : {omega, gif, bmp, longPicture}) {
    ASSERT_TRUE(InvokeVerb(kPictureVerb, picture));
    expected.push_back(picture);
    EXPECT_TRUE(ListBecomes(Lines(expected))) << "after adding " << picture << ":\n"
                                               << ReadFileText(DefaultListPath()).value_or("(no list)");
  }
  EXPECT_FALSE(IsVisible(main)) << "adding a picture leaves the window as it was";

  // A folder with its subfolders, in the order of the walk; the window opens
  // to show them.
  const std::string album = Temp() / "Album 2026";
  MakeFolder(album);
  MakeFolder(album + "\\Reise nach \xC3\x85rhus");  // "Reise nach Århus"
  const std::string a1 = album + "\\a1.jpg", a2 = album + "\\Reise nach \xC3\x85rhus\\a2.gif";
  ASSERT_TRUE(MakeSolidPicture(a1, 8, 8, "jpg", 0x102030));
  ASSERT_TRUE(MakeSolidPicture(a2, 8, 8, "gif", 0x302010));
  WriteFileText(album + "\\notes.txt", "not a picture");
  ASSERT_TRUE(InvokeVerb(kFolderVerb, album));
  expected.push_back(a1);
  expected.push_back(a2);
  // The folder is watched from now on, with its subfolders: its line follows the entries.
  EXPECT_TRUE(ListBecomes(Lines(expected) + album + "\\**\r\n"))
      << ReadFileText(DefaultListPath()).value_or("(no list)");
  EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, 10000));
  EXPECT_EQ(ListBoxItems(::GetDlgItem(main, ids::imgList)).size(), expected.size());

  // A list file replaces the list; one with a 250-character path too.
  const std::string list = folder + "\\Urlaub \xE5\x86\x99\xE7\x9C\x9F.vdl";
  WriteFileUtf8Name(list, Lines({bmp, omega}));
  ASSERT_TRUE(InvokeVerb("open", list));
  EXPECT_TRUE(ListBecomes(Lines({bmp, omega}))) << ReadFileText(DefaultListPath()).value_or("(no list)");
  const std::string longList = deep + "\\" + std::string(250 - deep.size() - 5, 'y') + ".vdl";
  WriteFileText(longList, Lines({gif, longPicture}));
  ASSERT_TRUE(InvokeVerb("open", longList));
  EXPECT_TRUE(ListBecomes(Lines({gif, longPicture}))) << ReadFileText(DefaultListPath()).value_or("(no list)");
  EXPECT_TRUE(WaitUntil([] { return ProcessIdsOf("VD.exe").size() == 1; }, 15000)) << "the second copies end";
}

TEST_F(PackageTest, AnExplorerCommandStartsVdWhenItIsNotRunning) {
  InstallSilently();
  WineClassesView view;
  const std::string picture = Temp() / "Am Strand.jpg";
  ASSERT_TRUE(MakeSolidPicture(picture, 16, 16, "jpg", 0x2080C0));
  ASSERT_TRUE(ProcessIdsOf("VD.exe").empty());

  ASSERT_TRUE(InvokeVerb(kPictureVerb, picture));
  EXPECT_TRUE(ListBecomes(Lines({picture}))) << ReadFileText(DefaultListPath()).value_or("(no list)");
  std::vector<DWORD> running;
  EXPECT_TRUE(WaitUntil([&] { return (running = ProcessIdsOf("VD.exe")).size() == 1; }, 15000));
  ASSERT_EQ(running.size(), 1u);
  EXPECT_EQ(ProcessImagePath(running[0]), InstalledVd()) << "the VD beside Pelorin";
}

TEST_F(PackageTest, SetupAndUninstallCloseARunningVd) {
  InstallSilently();
  Process first = Start(InstalledVd(), "", Temp().Path());
  ASSERT_TRUE(WaitReady(first));

  // Setup again: the running copy is asked to end, the files are replaced, and
  // the new copy runs in its place.
  EXPECT_EQ(RunToEnd(SetupExe(), "/S"), std::optional<DWORD>(0));
  EXPECT_TRUE(first.WaitExit(15000)) << "the running VD was not closed";
  EXPECT_TRUE(ReadFileText(InstalledVd()) == ReadFileText(VdExe()));
  std::vector<DWORD> running;
  EXPECT_TRUE(WaitUntil([&] { return (running = ProcessIdsOf("VD.exe")).size() == 1; }, 15000))
      << "setup starts the VD it closed again";
  ASSERT_EQ(running.size(), 1u);
  EXPECT_EQ(ProcessImagePath(running[0]), InstalledVd());
  EXPECT_TRUE(WaitUntil([&] { return FindWindowA(kFormClass, kMainTitle) != nullptr; }, 15000));

  // Uninstalling while it runs closes it too.
  UninstallSilently();
  EXPECT_TRUE(WaitUntil([] { return ProcessIdsOf("VD.exe").empty(); }, 15000));
  EXPECT_FALSE(FileExists(InstalledVd()));
}

// A top-level dialog of the uninstaller (its wizard or one of its message
// boxes) for which has holds; null when none shows within the time.
HWND WaitForUninstallerDialog(const std::function<bool(HWND)>& has, int timeoutMs = 30000) {
  struct Search {
    const std::function<bool(HWND)>* has;
    HWND found;
  } search{&has, nullptr};
  WaitUntil(
      [&] {
        ::EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
              auto* s = reinterpret_cast<Search*>(p);
              char cls[16] = {};
              ::GetClassNameA(w, cls, sizeof cls);
              if (std::string(cls) != "#32770" || !::IsWindowVisible(w) ||
                  WindowText(w).rfind("Vexa Desktop", 0) != 0 || !(*s->has)(w))
                return TRUE;
              s->found = w;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs, 100);
  return search.found;
}

bool Says(HWND box, const std::string& part) { return ControlText(box, 0xFFFF).find(part) != std::string::npos; }

TEST_F(PackageTest, UninstallingWithTheSettingsRemovesTheListCopiesBitmapScratchFilesAndEmptyKeys) {
  const std::string directoryShell = std::string(kClasses) + "\\Directory\\shell";
  const std::string associations = std::string(kClasses) + "\\SystemFileAssociations";
  const bool hadDirectoryShell = KeyExists(HKEY_CURRENT_USER, directoryShell);
  const bool hadAssociations = KeyExists(HKEY_CURRENT_USER, associations);
  const std::string uninstallParent = std::string(kUninstallKey).substr(0, std::string(kUninstallKey).rfind('\\'));
  const bool hadUninstallParent = KeyExists(HKEY_CURRENT_USER, uninstallParent);
  InstallSilently();
  Process vd = Start(InstalledVd(), "", Temp().Path());
  ASSERT_TRUE(WaitReady(vd));

  // What VD leaves in TEMP and in the user's application data, scratch files
  // of an interrupted save included; and a list the user saved.
  const std::string data = KnownFolder(FOLDERID_LocalAppData) + "\\Vexa Desktop";
  MakeFolder(data);
  std::vector<std::string> ours;
  for (const char* name : {"VDesk.ini", "~Desk.ini", "#Desk.ini", "Vexa Desktop.bmp", "~exa Desktop.bmp",
                           "$exa Desktop.bmp"})
    ours.push_back(Temp() / name);
  for (const char* name : {"\\VDesk.ini", "\\_Desk.ini", "\\VD.log", "\\History.txt", "\\~istory.txt"})
    ours.push_back(data + name);
  for (const std::string& f : ours)
    if (!FileExists(f)) WriteFileText(f, "x");
  const std::string userList = Temp() / "My pictures.vdl";
  WriteFileText(userList, "C:\\a.jpg\r\n");
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "ShowDate", "0");

  // Not silent: the uninstaller says it will close VD, and asks about the settings.
  Process uninstaller = Start(InstallDir() + "\\Uninstall.exe", "", Temp().Path());
  HWND wizard = WaitForUninstallerDialog([](HWND w) { return ::GetDlgItem(w, 3) != nullptr; });
  ASSERT_TRUE(wizard) << "no uninstall wizard";
  ::PostMessageA(::GetDlgItem(wizard, 1), BM_CLICK, 0, 0);
  HWND running = WaitForUninstallerDialog([](HWND w) { return Says(w, "is running"); });
  ASSERT_TRUE(running);
  EXPECT_EQ(ControlText(running, 0xFFFF), "Vexa Desktop is running. The uninstaller will close it before it goes on.");
  ::PostMessageA(::GetDlgItem(running, IDOK), BM_CLICK, 0, 0);
  HWND ask = WaitForUninstallerDialog([](HWND w) { return Says(w, "remove your Vexa Desktop settings"); });
  ASSERT_TRUE(ask);
  EXPECT_TRUE(vd.WaitExit(15000)) << "VD was closed before the question";
  ::PostMessageA(::GetDlgItem(ask, IDYES), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([] { return !FileExists(InstallDir()); }, 60000, 100)) << InstallDir() << " is still there";
  if (HWND done = WaitForUninstallerDialog([](HWND w) { return ::GetDlgItem(w, 3) != nullptr; }, 5000))
    ::PostMessageA(::GetDlgItem(done, 1), BM_CLICK, 0, 0);  // Close

  for (const std::string& f : ours) EXPECT_FALSE(FileExists(f)) << f;
  EXPECT_FALSE(FileExists(data)) << "the emptied folder goes too";
  EXPECT_EQ(ReadFileText(userList), "C:\\a.jpg\r\n") << "the user's own lists stay";
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProgramKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Tobrel's"));
  EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, directoryShell), hadDirectoryShell) << "no empty key left behind";
  EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, associations), hadAssociations);
  EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, uninstallParent), hadUninstallParent);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
}

}  // namespace
}  // namespace e2e
