// Watched folders of a list: folders whose pictures the list follows, and
// the pictures of those folders the user took out of it. A list file keeps
// them as lines that no older reader takes for a picture: "<folder>\*",
// "<folder>\**" (with subfolders) and "-<path>" (an excluded picture).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/list_order.h"
#include "engine/wallpaper_list.h"

namespace vd {

struct WatchedFolder {
  std::string folder;  // without a trailing "\", except a root ("C:\")
  bool subfolders = false;
};

// The folder of a "<folder>\*" or "<folder>\**" line; nullopt for any other line.
std::optional<WatchedFolder> ParseWatchLine(std::string_view line);
std::string WatchLine(const WatchedFolder& watched);
// The picture of a "-<path>" line naming a full path; nullopt otherwise.
std::optional<std::string> ParseExclusionLine(std::string_view line);

// A path as sets compare it: ASCII letters in lower case, "/" as "\". The
// file system ignores case; the list keeps the spelling it found.
std::string PathKey(std::string_view path);

// A hash of the path as PathKey spells it, made without copying: sets of
// many thousand paths are kept as these.
std::uint64_t PathHash(std::string_view path);
std::uint64_t PathHash(const ListEntry& entry);  // of its full path
// onFolder(hash) for each folder on the entry's path that lies deeper than
// the first skip characters (hashes as PathHash of the folder without its
// trailing ""); returns the hash of the full path.
std::uint64_t PathHashes(const ListEntry& entry, std::size_t skip, const std::function<void(std::uint64_t)>& onFolder);

// Whether path lies in the watched folder: right in it, or in a folder
// below it when subfolders are watched.
bool InWatchedFolder(const WatchedFolder& watched, std::string_view path);
bool InWatchedFolder(const WatchedFolder& watched, const ListEntry& entry);
// Whether a file at path enters the list through the watched folder: it lies
// in it and is a picture the system decodes (KindOfEntry), of a length the
// system accepts.
bool BelongsToWatched(const WatchedFolder& watched, std::string_view path);

class WatchList {
 public:
  const std::vector<WatchedFolder>& Folders() const { return folders_; }
  const std::vector<std::string>& Exclusions() const { return excluded_; }
  bool Empty() const { return folders_.empty(); }

  // Starts watching; false when the folder is watched already (with
  // subfolders added to a folder watched without them, it widens and the
  // call is true). A folder already covered by a watched parent with
  // subfolders is watched already.
  bool Watch(WatchedFolder watched);
  // Stops watching the folder and forgets its exclusions; false when it was
  // not watched.
  bool Unwatch(std::string_view folder);
  // The watched folder path belongs to (InWatchedFolder), -1 for none.
  int OwnerOf(std::string_view path) const;
  // Records the picture at path as excluded when a watched folder owns it.
  bool Exclude(std::string_view path);
  bool IsExcluded(std::string_view path) const;
  void Clear();

  // The watched folders and exclusions among a list file's lines; every
  // other line is not this class's. An exclusion no folder owns is dropped.
  static WatchList FromLines(const std::vector<std::string>& lines);
  // The lines, each followed by CR LF: folders first, then exclusions.
  std::string Serialize() const;

 private:
  std::vector<WatchedFolder> folders_;
  std::vector<std::string> excluded_;
  std::unordered_set<std::string> excludedKeys_;
};

// The entries that repeat an earlier entry's full path (case ignored), in
// ascending order: removing them keeps the first of each.
std::vector<int> DuplicateIndexes(const std::vector<ListEntry>& entries);

// Where new entries go in a list kept in order: added is put in that order,
// and result[i] is the index of entries before which added[i] goes (after
// entries that compare equal); never decreasing. Without an order they keep
// theirs and all go at the end.
std::vector<int> PlaceNewEntries(const std::vector<ListEntry>& entries, std::vector<ListEntry>& added,
                                 std::optional<ListOrder> order);

}  // namespace vd
