// Curating the list from the tray and the main window: the wallpaper's file
// in Explorer, taking the wallpaper out of the list, and files dropped on the
// main window.
#pragma once

#include <string>
#include <vector>

struct AppState;

namespace vd {
struct DroppedItems;
}

namespace vdapp {

class Background;
class ListStore;
class UiLink;
class WallpaperChange;

class Curate {
 public:
  Curate(AppState& state, Background& background, UiLink& ui, ListStore& lists, WallpaperChange& change)
      : state_(state), background_(background), ui(ui), lists_(lists), change_(change) {}
  Curate(const Curate&) = delete;
  Curate& operator=(const Curate&) = delete;

  // Explorer with the picture's file selected. A file that is gone, or no
  // picture at all (empty path), is told in a message box titled title.
  void ShowPictureInFolder(const std::string& path, const std::string& title);
  // The same for the picture VD last put on the primary monitor.
  void ShowWallpaperInFolder();
  // A command: the primary monitor's picture leaves the list (as the image
  // menu's Remove takes an entry out) and the next picture becomes the
  // wallpaper.
  void RemoveShownPicture();
  // A command: files and folders dropped on the main window. Pictures are added
  // as by Add File, folders as by Add Folder, a list file replaces the list once
  // the user agrees; the rest is skipped, told in one message. The files are
  // looked at off the UI thread.
  void AddDropped(std::vector<std::string> paths);

 private:
  int EntryOf(const std::string& path) const;
  void TakeDropped(vd::DroppedItems& items);

  AppState& state_;
  Background& background_;
  UiLink& ui;
  ListStore& lists_;
  WallpaperChange& change_;
};

}  // namespace vdapp
