#include "dialogs/file_dialogs.h"

#include <cderr.h>
#include <commdlg.h>

#include "engine/file_dialog_names.h"
#include "forms/forms.h"

namespace {
// Room for many picked files, each with a path of any length the system allows.
constexpr DWORD kNameBufferSize = 1u << 18;
}  // namespace

std::vector<std::string> ShowFileDialogFiles(HWND owner, const std::string& filter, const std::string& title,
                                             const std::string& mode) {
  std::string lower = mode;
  for (char& c : lower) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  const bool open = lower == "open";

  // The name box starts empty, so pressing Open or Save without typing is
  // answered by the dialog itself.
  std::vector<char> names(kNameBufferSize, '\0');
  std::string folder(MAX_PATH * 4, '\0');
  folder.resize(::GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data()));

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
  return vd::PathsOfDialogSelection(std::string_view(names.data(), names.size()));
}

std::string ShowFileDialog(HWND owner, const std::string& filter, const std::string& title, const std::string& mode) {
  std::vector<std::string> paths = ShowFileDialogFiles(owner, filter, title, mode);
  return paths.empty() ? std::string() : paths.front();
}
