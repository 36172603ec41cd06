#include "main/xfolder.h"

#include "app/app_state.h"
#include "app/list_store.h"
#include "dialogs/file_dialogs.h"
#include "engine/file_dialog_names.h"
#include "engine/folder_walk.h"
#include "engine/wallpaper_list.h"
#include "main/frm_main.h"
#include "main/vd_forms.h"

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
  currentFolder_ = ShowFolderDialog(owner_ ? owner_ : frmMain().Handle(), dialogTitle_);
  return currentFolder_;
}

void XFolder::ListFiles(bool clearAll) {
  if (currentFolder_.empty()) browseFolder();
  if (currentFolder_.empty()) return;
  if (clearAll) vdapp::ClearList();
  vdapp::AddFolder(currentFolder_, recurse_, filter_);
}
