// The list's side of its watched folders: what the watcher reports comes
// into the list as a command of the command core, and the commands that
// change what is watched. On the UI thread.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/folder_watch.h"
#include "engine/list_order.h"
#include "engine/watched_folders.h"

struct AppState;

namespace vdapp {

class Background;
class ListStore;
class UiLink;

class WatchedLists {
 public:
  WatchedLists(AppState& state, Background& background, UiLink& ui, ListStore& lists)
      : state_(state), background_(background), ui(ui), lists_(lists) {}
  WatchedLists(const WatchedLists&) = delete;
  WatchedLists& operator=(const WatchedLists&) = delete;

  // Hands the list's watched folders to the watcher (made on first use);
  // each folder not watched before is scanned whole in the background.
  void FollowWatchedFolders();
  // Brings a report of the watcher into the list: new pictures go where the
  // chosen sort order puts them, unless the list has them or the folder
  // excludes them; pictures gone leave. Saves the default list on a change.
  void ApplyFolderReport(FolderReport report);
  // Stops watching folder; with removePictures, its pictures leave the list too.
  void StopWatching(const std::string& folder, bool removePictures);
  // Removes every entry that repeats an earlier one, and saves the list.
  void RemoveDuplicates();

 private:
  std::optional<vd::ListOrder> ChosenOrder() const;
  void InsertStep(std::shared_ptr<std::vector<vd::ListEntry>> coming, std::size_t first);
  void SubmitReport(std::shared_ptr<FolderReport> report);

  AppState& state_;
  Background& background_;
  UiLink& ui;
  ListStore& lists_;
};

}  // namespace vdapp
