// The wallpaper list as the program holds it: the entries, the selected one,
// the random order's round and the chosen style. Owned by the UI thread; the
// main window shows it through a ListObserver and changes it only through
// the commands.
#pragma once

#include <functional>
#include <vector>

#include "engine/selection.h"
#include "engine/wallpaper_list.h"

namespace vdapp {

// What the main window's list shows follows these calls.
class ListObserver {
 public:
  virtual ~ListObserver() = default;
  virtual void ListReplaced() = 0;                   // show every entry anew
  virtual void EntriesAppended(int first) = 0;       // entries from first on are new
  virtual void EntryRemoved(int index) = 0;
  // Entries were put in at these places (ascending, counted after the change).
  virtual void EntriesInserted(const std::vector<int>& at) {
    (void)at;
    ListReplaced();
  }
  virtual void SelectionChanged(int index) = 0;      // -1: none
  virtual void StyleChanged(int style) = 0;          // -1: none
};

class WallpaperModel {
 public:
  void SetObserver(ListObserver* observer) { observer_ = observer; }

  const std::vector<vd::ListEntry>& Entries() const { return entries_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  bool Has(int index) const { return index >= 0 && index < Count(); }
  const vd::ListEntry& At(int index) const { return entries_[static_cast<std::size_t>(index)]; }

  int Selected() const { return selected_; }
  // Selects an entry (or none) and shows it selected.
  void Select(int index);
  // The user selected it in the list already.
  void SelectedInView(int index) {
    selected_ = Has(index) ? index : -1;
    lastTaken_ = -1;
  }

  void Append(const vd::ListEntry& entry);
  void Append(std::vector<vd::ListEntry> entries);
  void Remove(int index);
  // Many at once, in one pass. indexes ascending; places[i] is the index
  // (among the entries before the call) before which added[i] goes, never
  // decreasing. The same picture stays selected; removed ones leave the
  // random round and new ones join it.
  void RemoveEntries(const std::vector<int>& indexes);
  void InsertEntries(std::vector<vd::ListEntry> added, const std::vector<int>& places);
  void Clear();
  // The whole list at once, nothing selected.
  void Replace(std::vector<vd::ListEntry> entries);
  // Puts the entries in a new order: order[k] is the index of the entry that
  // goes to place k. The same picture stays selected, and the random round
  // goes on over the same pictures. False, and nothing changes, when order
  // is no permutation.
  bool Reorder(const std::vector<int>& order);

  // The next entries to show, one for each of count monitors: in order, or
  // the random round's next ones (a list shorter than count repeats). The
  // first becomes selected; the next call goes on after the last.
  std::vector<int> TakeNext(int count, bool randomOrder, const std::function<unsigned()>& random);

  // The style the wallpaper is composed in (0..4), -1 for none chosen; byUser
  // when the user picked it for the entry on screen.
  int Style() const { return style_; }
  bool ManualStyle() const { return manualStyle_; }
  void SetStyle(int style);
  void SetManualStyle(bool manual) { manualStyle_ = manual; }

 private:
  // Applies newIndexOf (as ShuffleRound::Remapped) after entries_ changed.
  void Remapped(const std::vector<int>& newIndexOf, const std::vector<int>& added, bool appendedOnly, int first);

  std::vector<vd::ListEntry> entries_;
  int selected_ = -1;
  int lastTaken_ = -1;  // the last entry TakeNext gave; -1 once the selection moved
  vd::ShuffleRound shuffle_;
  int style_ = -1;
  bool manualStyle_ = false;
  ListObserver* observer_ = nullptr;
};

}  // namespace vdapp
