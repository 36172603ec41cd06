#include "app/watched_lists.h"

#include <algorithm>
#include <iterator>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/background.h"
#include "app/list_store.h"
#include "app/ui_port.h"
#include "engine/list_order.h"
#include "engine/settings.h"

namespace vdapp {

namespace {

// New entries taken in per command: the list (and the window showing it)
// grows in steps, and messages run in between.
constexpr std::size_t kEntriesPerStep = 2000;

}  // namespace

std::optional<vd::ListOrder> WatchedLists::ChosenOrder() const {
  const int choice = vd::TextAsIndex(state_.settings.sortingType);
  if (choice == static_cast<int>(vd::ListOrder::Location)) return vd::ListOrder::Location;
  if (choice == static_cast<int>(vd::ListOrder::Name)) return vd::ListOrder::Name;
  return std::nullopt;
}

// Takes in up to kEntriesPerStep of coming from first on, and the rest in
// later commands; the list is saved after the last.
void WatchedLists::InsertStep(std::shared_ptr<std::vector<vd::ListEntry>> coming, std::size_t first) {
  AppState& a = state_;
  const std::size_t last = std::min(coming->size(), first + kEntriesPerStep);
  std::vector<vd::ListEntry> step(std::make_move_iterator(coming->begin() + static_cast<std::ptrdiff_t>(first)),
                                  std::make_move_iterator(coming->begin() + static_cast<std::ptrdiff_t>(last)));
  const std::vector<int> places = vd::PlaceNewEntries(a.list.Entries(), step, ChosenOrder());
  a.list.InsertEntries(std::move(step), places);
  if (last < coming->size()) {
    background_.RunSoon([this, coming, last] {
      state_.commands.Submit(
          {"Watched folder", CommandCore::Kind::Other, [this, coming, last] { InsertStep(coming, last); }});
    });
    return;
  }
  lists_.SaveList(std::string());
}

void WatchedLists::SubmitReport(std::shared_ptr<FolderReport> report) {
  state_.commands.Submit(
      {"Watched folder", CommandCore::Kind::Other, [this, report] { ApplyFolderReport(std::move(*report)); }});
}

void WatchedLists::FollowWatchedFolders() {
  AppState& a = state_;
  if (!a.watcher) {
    if (a.watched.Empty()) {
      ui().WatchedFoldersChanged();  // emptied before anything was watched (Remove All)
      return;
    }
    // The watcher's thread hands its reports to the UI thread's mailbox.
    a.watcher = std::make_unique<FolderWatcher>([this](FolderReport r) {
      background_.RunSoon([this, report = std::make_shared<FolderReport>(std::move(r))] { SubmitReport(report); });
    });
  }
  a.watcher->SetFolders(a.watched.Folders());
  ui().WatchedFoldersChanged();
}

void WatchedLists::ApplyFolderReport(FolderReport report) {
  AppState& a = state_;
  const vd::WatchedFolder* watched = nullptr;
  for (const vd::WatchedFolder& w : a.watched.Folders()) {
    if (vd::PathKey(w.folder) == vd::PathKey(report.watched.folder)) watched = &w;
  }
  if (!watched) return;  // no longer watched
  const vd::WatchedFolder folder = *watched;
  // Paths compared by their hashes: no copy of the list's paths is made,
  // which for a long list keeps the window answering. The report's own
  // hashes were made on the watcher's thread; no set as long as the list
  // or the scan is made (its inserts cost the UI thread most).
  const std::vector<vd::ListEntry>& entries = a.list.Entries();
  std::vector<std::uint64_t> inList;
  inList.reserve(entries.size());
  for (const vd::ListEntry& e : entries) inList.push_back(vd::PathHash(e));

  std::vector<int> leaving;
  if (report.full) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (vd::InWatchedFolder(folder, entries[i]) &&
          !std::binary_search(report.present.begin(), report.present.end(), inList[i]))
        leaving.push_back(static_cast<int>(i));
    }
  } else if (!report.removed.empty()) {
    // A file gone, or a folder above it.
    std::unordered_set<std::uint64_t> gone;
    for (const std::string& p : report.removed) gone.insert(vd::PathHash(p));
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (!vd::InWatchedFolder(folder, entries[i])) continue;
      bool under = false;
      const std::uint64_t h =
          vd::PathHashes(entries[i], folder.folder.size(), [&](std::uint64_t f) { under = under || gone.count(f); });
      if (under || gone.count(h)) leaving.push_back(static_cast<int>(i));
    }
  }
  // Few new pictures (a change) are looked for in the list; many (a scan)
  // are looked up in the list's hashes put in order.
  const bool few = report.added.size() * 16 < inList.size();
  std::unordered_set<std::uint64_t> listed;
  if (few) {
    std::unordered_set<std::uint64_t> wanted;
    for (std::size_t k = 0; k < report.added.size(); ++k)
      wanted.insert(k < report.addedHashes.size() ? report.addedHashes[k] : vd::PathHash(report.added[k]));
    for (const std::uint64_t h : inList) {
      if (wanted.count(h)) listed.insert(h);
    }
  } else {
    std::sort(inList.begin(), inList.end());
  }
  const auto inTheList = [&](std::uint64_t h) {
    return few ? listed.count(h) > 0 : std::binary_search(inList.begin(), inList.end(), h);
  };
  auto coming = std::make_shared<std::vector<vd::ListEntry>>();
  const bool exclusions = !a.watched.Exclusions().empty();
  // The watcher checked them against the folder as it watches it; the list
  // may watch it otherwise by now.
  const bool checked = report.watched.subfolders == folder.subfolders && report.addedHashes.size() == report.added.size();
  for (std::size_t k = 0; k < report.added.size(); ++k) {
    vd::ListEntry& e = report.added[k];
    if (!checked && (!vd::InWatchedFolder(folder, e) || !vd::IsListedImageExtension(e.ext))) continue;
    const std::uint64_t h = checked ? report.addedHashes[k] : vd::PathHash(e);
    if (inTheList(h) || (exclusions && a.watched.IsExcluded(e.FullPath())))
      continue;
    coming->push_back(std::move(e));
  }
  std::vector<vd::ListEntry>().swap(report.added);  // not kept while the new entries go in
  std::vector<std::uint64_t>().swap(inList);
  if (leaving.empty() && coming->empty()) return;
  a.list.RemoveEntries(leaving);
  const std::optional<vd::ListOrder> order = ChosenOrder();
  if (coming->size() <= kEntriesPerStep || !order) {
    InsertStep(coming, 0);
    return;
  }
  // Many: put in order off the UI thread first, so that the steps that take
  // them in follow one another in the list and each only appends when the
  // list was empty.
  // The core waits meanwhile: a later report of the folder comes after these.
  auto hold = std::make_shared<CommandCore::Hold>(a.commands.HoldUntilFinished());
  hold->Awaiting();
  background_.Disk().Run(
      [coming, order] {
        const std::vector<int> sorted = vd::SortedOrder(*coming, *order);
        std::vector<vd::ListEntry> ordered;
        ordered.reserve(coming->size());
        for (const int from : sorted) ordered.push_back(std::move((*coming)[static_cast<std::size_t>(from)]));
        *coming = std::move(ordered);
      },
      [this, coming, hold] {
        hold->Arrived();
        InsertStep(coming, 0);
        hold->Finish();
      });
}

void WatchedLists::StopWatching(const std::string& folder, bool removePictures) {
  AppState& a = state_;
  for (const vd::WatchedFolder& w : a.watched.Folders()) {
    if (vd::PathKey(w.folder) != vd::PathKey(folder)) continue;
    if (removePictures) {
      std::vector<int> leaving;
      for (int i = 0; i < a.list.Count(); ++i) {
        if (vd::InWatchedFolder(w, a.list.At(i))) leaving.push_back(i);
      }
      a.list.RemoveEntries(leaving);
    }
    a.watched.Unwatch(folder);
    FollowWatchedFolders();
    lists_.SaveList(std::string());
    return;
  }
}

void WatchedLists::RemoveDuplicates() {
  AppState& a = state_;
  const std::vector<int> repeats = vd::DuplicateIndexes(a.list.Entries());
  if (repeats.empty()) return;
  a.list.RemoveEntries(repeats);
  lists_.SaveList(std::string());
}

}  // namespace vdapp
