#include "app/watched_lists.h"

#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/background.h"
#include "app/list_store.h"
#include "engine/list_order.h"
#include "engine/settings.h"

namespace vdapp {

namespace {

// New entries taken in per command: the list (and the window showing it)
// grows in steps, and messages run in between.
constexpr std::size_t kEntriesPerStep = 5000;

std::optional<vd::ListOrder> ChosenOrder() {
  const int choice = vd::TextAsIndex(app().settings.sortingType);
  if (choice == static_cast<int>(vd::ListOrder::Location)) return vd::ListOrder::Location;
  if (choice == static_cast<int>(vd::ListOrder::Name)) return vd::ListOrder::Name;
  return std::nullopt;
}

void SubmitReport(std::shared_ptr<FolderReport> report) {
  app().commands.Submit({"Watched folder", CommandCore::Kind::Other, [report] { ApplyFolderReport(std::move(*report)); }});
}

// Whether key, or a folder above it up to the watched one, is in gone.
bool GoneWithin(const std::string& key, const std::unordered_set<std::string>& gone, std::size_t folderLength) {
  if (gone.count(key)) return true;
  for (std::size_t slash = key.rfind('\\'); slash != std::string::npos && slash > folderLength;
       slash = key.rfind('\\', slash - 1)) {
    if (gone.count(key.substr(0, slash))) return true;
  }
  return false;
}

}  // namespace

void FollowWatchedFolders() {
  AppState& a = app();
  if (!a.watcher) {
    if (a.watched.Empty()) return;
    // The watcher's thread hands its reports to the UI thread's mailbox.
    a.watcher = std::make_unique<FolderWatcher>(
        [](FolderReport r) { RunSoon([report = std::make_shared<FolderReport>(std::move(r))] { SubmitReport(report); }); });
  }
  a.watcher->SetFolders(a.watched.Folders());
}

void ApplyFolderReport(FolderReport report) {
  AppState& a = app();
  const vd::WatchedFolder* watched = nullptr;
  for (const vd::WatchedFolder& w : a.watched.Folders()) {
    if (vd::PathKey(w.folder) == vd::PathKey(report.watched.folder)) watched = &w;
  }
  if (!watched) return;  // no longer watched
  const vd::WatchedFolder folder = *watched;
  const std::vector<vd::ListEntry>& entries = a.list.Entries();
  std::unordered_set<std::string> inList;
  inList.reserve(entries.size());
  for (const vd::ListEntry& e : entries) inList.insert(vd::PathKey(e.FullPath()));

  std::vector<int> leaving;
  if (report.full) {
    std::unordered_set<std::string> there;
    there.reserve(report.added.size());
    for (const std::string& p : report.added) there.insert(vd::PathKey(p));
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::string path = entries[i].FullPath();
      if (vd::InWatchedFolder(folder, path) && !there.count(vd::PathKey(path))) leaving.push_back(static_cast<int>(i));
    }
  } else if (!report.removed.empty()) {
    std::unordered_set<std::string> gone;
    for (const std::string& p : report.removed) gone.insert(vd::PathKey(p));
    const std::size_t folderLength = folder.folder.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::string path = entries[i].FullPath();
      if (vd::InWatchedFolder(folder, path) && GoneWithin(vd::PathKey(path), gone, folderLength))
        leaving.push_back(static_cast<int>(i));
    }
  }

  std::vector<vd::ListEntry> coming;
  std::size_t taken = 0;
  for (; taken < report.added.size() && coming.size() < kEntriesPerStep; ++taken) {
    const std::string& p = report.added[taken];
    if (!vd::BelongsToWatched(folder, p) || a.watched.IsExcluded(p) || !inList.insert(vd::PathKey(p)).second) continue;
    coming.push_back(vd::SplitEntry(p));
  }
  if (taken < report.added.size()) {
    // The rest in a later command, as plain additions.
    auto rest = std::make_shared<FolderReport>();
    rest->watched = folder;
    rest->added.assign(std::make_move_iterator(report.added.begin() + static_cast<std::ptrdiff_t>(taken)),
                       std::make_move_iterator(report.added.end()));
    RunSoon([rest] { SubmitReport(rest); });
  }
  if (leaving.empty() && coming.empty()) return;
  a.list.RemoveEntries(leaving);
  const std::vector<int> places = vd::PlaceNewEntries(a.list.Entries(), coming, ChosenOrder());
  a.list.InsertEntries(std::move(coming), places);
  SaveList(std::string());
}

void StopWatching(const std::string& folder, bool removePictures) {
  AppState& a = app();
  for (const vd::WatchedFolder& w : a.watched.Folders()) {
    if (vd::PathKey(w.folder) != vd::PathKey(folder)) continue;
    if (removePictures) {
      std::vector<int> leaving;
      for (int i = 0; i < a.list.Count(); ++i) {
        if (vd::InWatchedFolder(w, a.list.At(i).FullPath())) leaving.push_back(i);
      }
      a.list.RemoveEntries(leaving);
    }
    a.watched.Unwatch(folder);
    FollowWatchedFolders();
    SaveList(std::string());
    return;
  }
}

void RemoveDuplicates() {
  AppState& a = app();
  const std::vector<int> repeats = vd::DuplicateIndexes(a.list.Entries());
  if (repeats.empty()) return;
  a.list.RemoveEntries(repeats);
  SaveList(std::string());
}

}  // namespace vdapp
