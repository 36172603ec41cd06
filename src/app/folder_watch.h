// The watcher of a list's watched folders: a thread of its own that waits
// for the file system's change notifications of each folder and reports the
// pictures that came and went. Each folder is scanned whole when watching
// begins (at start, after a load, when it comes back after being away) and
// when the system's notification buffer overflowed. It touches no window
// and no UI-thread state: what it found goes to deliver.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/watched_folders.h"

namespace vdapp {

struct FolderReport {
  vd::WatchedFolder watched;
  // A whole scan: added holds every picture the folder has now, present
  // the hashes (vd::PathHash) of all its files, in ascending order, and an
  // entry of the folder whose file is not among them is gone.
  bool full = false;
  std::vector<std::uint64_t> present;
  // Pictures that came, as the list keeps them, each of the folder by its
  // rules and named once; addedHashes[i] is vd::PathHash(added[i]). Made
  // here so that the UI thread only looks them up.
  std::vector<vd::ListEntry> added;
  std::vector<std::uint64_t> addedHashes;
  std::vector<std::string> removed;  // full paths of files or folders that went
};

class FolderWatcher {
 public:
  // deliver runs on the watcher's thread.
  explicit FolderWatcher(std::function<void(FolderReport)> deliver);
  ~FolderWatcher();  // stops and joins the thread
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;

  // Watches these folders from now on. One watched already goes on as it
  // was; a new one (or one with other subfolder setting) is scanned first.
  void SetFolders(std::vector<vd::WatchedFolder> folders);

 private:
  struct Slot;
  void Loop();
  void Scan(Slot& slot);
  void Complete(Slot& slot);

  std::function<void(FolderReport)> deliver_;
  std::mutex mutex_;  // guards wanted_, changed_
  std::vector<vd::WatchedFolder> wanted_;
  bool changed_ = false;
  std::atomic<bool> stop_ = false;
  void* wake_ = nullptr;  // an event: the folders changed, or stop
  std::thread thread_;
};

}  // namespace vdapp
