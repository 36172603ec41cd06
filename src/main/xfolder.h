// The folder lister: asks for a folder with the system's folder dialog and
// appends every file of it (and of its subfolders on request) that passes
// the name filter to the main window's wallpaper list.
#pragma once

#include <windows.h>

#include <string>

struct AppState;
namespace vdapp {
class ListStore;
}

class XFolder {
 public:
  // lists: the list the folder's pictures go to; state: where the dialog
  // remembers its folder.
  XFolder(vdapp::ListStore& lists, AppState& state) : lists_(lists), state_(state) {}

  std::string DialogTitle() const { return dialogTitle_; }
  void SetDialogTitle(const std::string& t) { dialogTitle_ = t; }
  std::string Filter() const { return filter_; }
  void SetFilter(const std::string& f);  // "*" characters are dropped
  bool RecurseSubDirectories() const { return recurse_; }
  void SetRecurseSubDirectories(bool r) { recurse_ = r; }
  // The window that owns the folder dialog.
  HWND formHandle() const { return owner_; }
  void SetFormHandle(HWND w) { owner_ = w; }
  std::string CurrentFolder() const { return currentFolder_; }
  void SetCurrentFolder(const std::string& f) { currentFolder_ = f; }

  // Shows the folder dialog; the chosen folder, or "" when cancelled.
  std::string browseFolder();
  // Lists CurrentFolder (asking for it first when empty) into the wallpaper list.
  void ListFiles(bool clearAll);

 private:
  vdapp::ListStore& lists_;
  AppState& state_;
  std::string dialogTitle_ = "Select a Folder";
  std::string filter_;
  bool recurse_ = false;
  HWND owner_ = nullptr;
  std::string currentFolder_;
};
