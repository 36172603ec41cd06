#include "main/xfolder.h"

#include "app/app_state.h"
#include "app/list_store.h"
#include "dialogs/file_dialogs.h"
#include "engine/file_dialog_names.h"
#include "engine/folder_walk.h"
#include "engine/wallpaper_list.h"

void XFolder::SetFilter(const std::string& f) { filter_ = vd::StripFilterStars(f); }

std::string XFolder::browseFolder() {
  currentFolder_ = ShowFolderDialog(state_.registry.get(), owner_, dialogTitle_);
  return currentFolder_;
}

void XFolder::ListFiles(bool clearAll) {
  if (currentFolder_.empty()) browseFolder();
  if (currentFolder_.empty()) return;
  if (clearAll) lists_.ClearList();
  lists_.AddFolder(currentFolder_, recurse_, filter_);
}
