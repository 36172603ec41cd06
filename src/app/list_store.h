// The wallpaper list's files and the commands that change the list. Each
// runs inside a command of the command core.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/wallpaper_list.h"

struct AppState;

namespace vd {
class SkippedFiles;
}

namespace vdapp {

class Background;
class UiLink;
class WatchedLists;

// Puts text in the file at path whole, or leaves the old file whole and
// returns false; when path is the default list (defaultList), its copy in
// the user's application data (listCopy) follows it, unless heldBack says
// that copy must stay as it is. Runs on the list writer's thread.
bool WriteListFile(const std::string& path, const std::string& text, const std::string& defaultList,
                   const std::string& listCopy, const std::atomic<bool>& heldBack);

class ListStore {
 public:
  // watched: the list's watched folders, which follow every load and folder added.
  ListStore(AppState& state, Background& background, UiLink& ui, WatchedLists& watched)
      : state_(state), background_(background), ui(ui), watched_(watched) {}
  ListStore(const ListStore&) = delete;
  ListStore& operator=(const ListStore&) = delete;

  // Empty path means the default list file; the path used is written back.
  // SaveList is false when the file could not be written (the old one stays whole).
  // Saving the default list also writes its copy (StartupPaths::listCopyPath);
  // loading it while it is missing first brings it back from that copy.
  void LoadList(std::string& path, bool clearFirst);
  bool SaveList(std::string& path);
  void LoadList(const std::string& path, bool clearFirst);
  bool SaveList(const std::string& path);
  // The entry for a picture in the form the list keeps it, the form the next
  // load accepts (vd::ListPathSpeller); nullopt when it names no normal file or
  // no picture the system decodes (vd::KindOfEntry).
  std::optional<vd::ListEntry> ListEntryFor(const std::string& path);
  // Orders the list by the stored sort choice ("Location" or "Name"), keeps the
  // same picture selected and saves the default list file. A stored choice
  // that names neither leaves the list as it is.
  void SortList();
  // Appends the pictures that exist (in the form ListEntryFor gives) and saves
  // the default list file.
  void AddPictures(const std::vector<std::string>& paths);
  // Removes the entry at index if it still names path, and saves the list. A
  // picture of a watched folder is excluded from it: it does not come back.
  void RemoveEntry(int index, const std::string& path);
  // RemoveEntry for a file found gone: nothing is excluded, should it come back.
  void ForgetEntry(int index, const std::string& path);
  // Empties the list after asking (it forgets its watched folders too), and saves it.
  void RemoveAll();
  // Empties the list and forgets its watched folders; saved with the next save.
  void ClearList();
  // Appends every picture the system decodes of folder (and of its subfolders
  // with recurse) that passes the filter, as the walk finds them, but none the
  // list has already or the folder excludes; the folder is watched from now on. When files
  // were skipped, one message says how many and why, once the command at hand
  // is done (nothing waits for it).
  void AddFolder(const std::string& folder, bool recurse, const std::string& filter);
  // A command line handed over on the channel ("-i picture", "-n folder",
  // "-l list"), queued in the command core; it runs once runWaiting, which
  // the caller gets back to from its message loop, runs the queue. The sender
  // has its answer at once.
  void QueueRelayedCommand(const std::string& text);

 private:
  std::optional<std::string> ReadListFile(const std::string& path);
  std::vector<vd::ListEntry> EntriesOf(const std::string& bytes, const std::function<void()>& yield);
  bool MayWriteDefaultList();
  void RestoreDefaultListFromCopy();
  void TellSkipped(const vd::SkippedFiles& skipped);
  void RunRelayedCommand(const std::string& text);
  void CarryRelayedCommand(const std::string& text);

  AppState& state_;
  Background& background_;
  UiLink& ui;
  WatchedLists& watched_;
};

}  // namespace vdapp
