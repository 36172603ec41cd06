#include "dialogs/xfolder.h"

#include <shlobj.h>

#include "engine/file_dialog_names.h"
#include "engine/folder_walk.h"
#include "engine/paths.h"
#include "engine/wallpaper_list.h"
#include "forms/forms.h"
#include "main/app.h"
#include "main/frm_main.h"

XFolder& FolderLister() {
  static XFolder folder = [] {
    XFolder f;
    f.SetDialogTitle("");
    f.SetFilter(vd::PictureFolderFilter(vd::PictureExtensions()));
    return f;
  }();
  return folder;
}

void XFolder::SetFilter(const std::string& f) { filter_ = vd::StripFilterStars(f); }

std::string XFolder::browseFolder() {
  BROWSEINFOA bi{};
  bi.hwndOwner = owner_ ? owner_ : frmMain().Handle();
  bi.lpszTitle = dialogTitle_.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
  std::string chosen;
  if (PIDLIST_ABSOLUTE item = ::SHBrowseForFolderA(&bi)) {
    char path[MAX_PATH * 4] = {};
    if (::SHGetPathFromIDListA(item, path)) chosen = path;
    ::CoTaskMemFree(item);
  }
  currentFolder_ = chosen;
  return chosen;
}

void XFolder::ListFiles(bool clearAll) {
  if (currentFolder_.empty()) browseFolder();
  if (currentFolder_.empty()) return;
  FrmMain& m = frmMain();
  if (clearAll) m.ClearEntries();
  std::string folder = currentFolder_;
  // Spelled as the file system has it, so that the entries load back as added.
  if (std::string spelled = vd::GetLongPath(app().fs, folder); !spelled.empty()) {
    folder = spelled.size() == 2 ? spelled + '\\' : spelled;  // a root keeps its backslash
  } else if (folder.size() > 3 && folder.back() == '\\') {
    folder.pop_back();
  }
  vd::WalkFolder(
      app().fs, folder, recurse_, filter_, [&m](const vd::ListEntry& e) { m.AppendEntry(e); },
      [] { forms::DoEvents(); });
}
