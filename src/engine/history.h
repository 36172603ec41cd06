// What was on the desktop, newest last, and where the user stands in it:
// "Previous Wallpaper" steps back, a change after that steps forward again
// before new pictures are taken.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vd {

struct HistoryEntry {
  // The picture, or with a picture of its own on each monitor, the pictures
  // in monitor order.
  std::vector<std::string> pictures;
  int style = -1;  // the style it was composed in, 0..4
  bool operator==(const HistoryEntry&) const = default;
};

class WallpaperHistory {
 public:
  static constexpr std::size_t kMaxEntries = 100;
  // A saved history is read no further than this: 100 entries of a few
  // monitors' long paths fit many times over, and a huge file reads quickly.
  static constexpr std::size_t kMaxFileBytes = 1 << 20;
  // Whether an entry can be shown again (its files are there).
  using Usable = std::function<bool(const HistoryEntry&)>;

  // A change put entry on the desktop: it becomes the newest, and the
  // position, so that Previous goes back to the picture shown before it.
  // Entries ahead of the position (the user had gone back, then applied a
  // picture by hand) are dropped, and so are the oldest beyond kMaxEntries.
  // An entry with no picture is not recorded.
  void Record(HistoryEntry entry);

  // Something lies before the position (not yet checked for its files).
  bool CanGoBack() const { return position_ > 0; }
  // The position is not the newest entry: a change goes forward first.
  bool CanGoForward() const { return position_ + 1 < Count(); }
  // The nearest entry before (after) the position that usable accepts; -1
  // when there is none.
  int BackTarget(const Usable& usable) const;
  int ForwardTarget(const Usable& usable) const;
  // The entry at index is on the desktop now; an index out of range is ignored.
  void MoveTo(int index);
  // Steps to the newest entry: nothing ahead can be shown any more.
  void MoveToNewest() { position_ = Count() - 1; }

  int Count() const { return static_cast<int>(entries_.size()); }
  int Position() const { return position_; }
  const HistoryEntry& At(int index) const { return entries_[static_cast<std::size_t>(index)]; }
  const std::vector<HistoryEntry>& Entries() const { return entries_; }
  // Goes up with every change of the entries or the position.
  unsigned Revision() const { return revision_; }

  // The history as text: a first line naming the format, then one line an
  // entry, newest first (so a cut-off file loses the oldest), each "style",
  // TAB, the pictures separated by TABs; a line "position N" says how many
  // steps back from the newest the user stands.
  std::string ToText() const;
  // Reads what is whole from such a text: a line cut off at the end, lines
  // that are no entry, pictures that are no path and entries beyond
  // kMaxEntries are left out; nothing past kMaxFileBytes is looked at.
  static WallpaperHistory FromText(std::string_view text);

 private:
  std::vector<HistoryEntry> entries_;  // oldest first
  int position_ = -1;
  unsigned revision_ = 0;
};

}  // namespace vd
