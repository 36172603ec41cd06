#include "dialogs/file_dialogs.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>

#include "base/handles.h"
#include "engine/file_dialog_names.h"
#include "engine/ports.h"
#include "engine/settings.h"
#include "forms/forms.h"

namespace {
// Room for many picked files, each with a path of any length the system allows.
constexpr DWORD kNameBufferSize = 1u << 18;

// The program's strings are in the ANSI code page (UTF-8 by its manifest);
// the shell's newer functions take UTF-16.
std::wstring Wide(const std::string& s) {
  if (s.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Narrow(const wchar_t* w) {
  if (!w || !*w) return {};
  const int n = ::WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string s(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
  s.resize(static_cast<std::size_t>(n) - 1);
  return s;
}

using CoTaskString = std::unique_ptr<wchar_t, decltype(&::CoTaskMemFree)>;

bool IsFolder(const std::string& path) {
  const DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR raw = nullptr;
  const HRESULT hr = ::SHGetKnownFolderPath(id, 0, nullptr, &raw);
  CoTaskString path(raw, &::CoTaskMemFree);  // freed even when the call failed
  return SUCCEEDED(hr) ? Narrow(path.get()) : std::string();
}

void RememberFolder(vd::RegistryPort* registry, DialogPlace place, const std::string& folder) {
  if (registry && !folder.empty())
    registry->WriteValue(vd::Hive::CurrentUser, vd::kProgramKey, DialogPlaceValueName(place), folder);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return {};
  return slash == 2 && path[1] == ':' ? path.substr(0, 3) : path.substr(0, slash);  // a root keeps its backslash
}

// The older folder tree, for systems without the newer picker: it opens
// with the start folder selected.
int CALLBACK SelectStartFolder(HWND dialog, UINT msg, LPARAM, LPARAM start) noexcept {
  if (msg == BFFM_INITIALIZED && start) ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, start);
  return 0;
}

std::string BrowseFolderTree(HWND owner, const std::string& title, const std::string& start) {
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  bi.lpfn = &SelectStartFolder;
  bi.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  std::string chosen;
  if (PIDLIST_ABSOLUTE item = ::SHBrowseForFolderA(&bi)) {
    std::string path(MAX_PATH * 4, '\0');
    if (::SHGetPathFromIDListA(item, path.data())) chosen = path.c_str();
    ::CoTaskMemFree(item);
  }
  return chosen;
}
}  // namespace

const char* DialogPlaceValueName(DialogPlace place) {
  return place == DialogPlace::Lists ? "LastListFolder" : "LastPictureFolder";
}

std::string DialogStartFolder(vd::RegistryPort* registry, DialogPlace place) {
  if (registry) {
    const std::string last =
        registry->ReadValue(vd::Hive::CurrentUser, vd::kProgramKey, DialogPlaceValueName(place), "");
    if (IsFolder(last)) return last;  // a folder since removed or unplugged is passed over
  }
  const std::string own = KnownFolder(place == DialogPlace::Lists ? FOLDERID_Documents : FOLDERID_Pictures);
  return IsFolder(own) ? own : std::string();
}

std::vector<std::string> ShowFileDialogFiles(vd::RegistryPort* registry, HWND owner, const std::string& filter,
                                             const std::string& title, const std::string& mode, DialogPlace place) {
  std::string lower = mode;
  for (char& c : lower) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  const bool open = lower == "open";

  // The name box starts empty, so pressing Open or Save without typing is
  // answered by the dialog itself.
  std::vector<char> names(kNameBufferSize, '\0');
  const std::string folder = DialogStartFolder(registry, place);

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.hInstance = ::GetModuleHandleA(nullptr);
  ofn.lpstrFilter = filter.c_str();  // its own NUL ends the list with a second one
  ofn.nFilterIndex = 0;
  ofn.lpstrFile = names.data();
  ofn.nMaxFile = kNameBufferSize;
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.c_str();
  // The program's current folder stays its own, whatever folder is browsed.
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | (open ? OFN_ALLOWMULTISELECT : 0);

  const BOOL ok = open ? ::GetOpenFileNameA(&ofn) : ::GetSaveFileNameA(&ofn);
  if (!ok) {
    if (::CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
      forms::MsgBox("Too many files were picked at once. Please pick fewer files.", MB_OK | MB_ICONEXCLAMATION,
                    title, owner);
    return {};
  }
  std::vector<std::string> paths = vd::PathsOfDialogSelection(std::string_view(names.data(), names.size()));
  if (!paths.empty()) RememberFolder(registry, place, FolderOf(paths.front()));
  return paths;
}

std::string ShowFileDialog(vd::RegistryPort* registry, HWND owner, const std::string& filter, const std::string& title,
                           const std::string& mode, DialogPlace place) {
  std::vector<std::string> paths = ShowFileDialogFiles(registry, owner, filter, title, mode, place);
  return paths.empty() ? std::string() : paths.front();
}

std::string ShowFolderDialog(vd::RegistryPort* registry, HWND owner, const std::string& title) {
  const std::string start = DialogStartFolder(registry, DialogPlace::Pictures);
  base::ComPtr<IFileOpenDialog> dialog;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                dialog.PutVoid()))) {
    const std::string chosen = BrowseFolderTree(owner, title, start);
    RememberFolder(registry, DialogPlace::Pictures, chosen);
    return chosen;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  // Folders of the file system only; the program's current folder stays its own.
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR);
  if (!title.empty()) dialog->SetTitle(Wide(title).c_str());
  if (!start.empty()) {
    base::ComPtr<IShellItem> folder;
    if (SUCCEEDED(::SHCreateItemFromParsingName(Wide(start).c_str(), nullptr, IID_IShellItem, folder.PutVoid())))
      dialog->SetFolder(folder.Get());
  }
  if (FAILED(dialog->Show(owner))) return {};  // cancelled
  base::ComPtr<IShellItem> result;
  if (FAILED(dialog->GetResult(result.Put()))) return {};
  PWSTR raw = nullptr;
  const HRESULT hr = result->GetDisplayName(SIGDN_FILESYSPATH, &raw);
  CoTaskString path(raw, &::CoTaskMemFree);
  const std::string chosen = SUCCEEDED(hr) ? Narrow(path.get()) : std::string();
  RememberFolder(registry, DialogPlace::Pictures, chosen);
  return chosen;
}
