#include "engine/watched_folders.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <utility>

namespace vd {

namespace {

// Longest path Windows accepts.
constexpr std::size_t kMaxPathLength = 32767;

bool IsFullPath(std::string_view p) {
  const bool drive = p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
  return drive || p.rfind("\\\\", 0) == 0;
}

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string NormalFolder(std::string folder) {
  for (char& c : folder) {
    if (c == '/') c = '\\';
  }
  while (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // a drive's root keeps its backslash
  return folder;
}

struct SortKeys {
  std::string name, path;
};

SortKeys KeysOf(const ListEntry& e, ListOrder order) {
  SortKeys k;
  if (order == ListOrder::Name) k.name = NaturalSortKey(e.name + e.ext);
  k.path = NaturalSortKey(e.FullPath());
  return k;
}

bool Before(const SortKeys& a, const SortKeys& b) {
  if (const int c = a.name.compare(b.name)) return c < 0;
  return a.path < b.path;
}

}  // namespace

std::optional<WatchedFolder> ParseWatchLine(std::string_view line) {
  WatchedFolder w;
  if (line.size() > 3 && line.substr(line.size() - 3) == "\\**") {
    w.subfolders = true;
    line.remove_suffix(3);
  } else if (line.size() > 2 && line.substr(line.size() - 2) == "\\*") {
    line.remove_suffix(2);
  } else {
    return std::nullopt;
  }
  if (!IsFullPath(line) || HasControlCharacter(line) || line.find('*') != std::string_view::npos ||
      line.size() > kMaxPathLength)
    return std::nullopt;
  w.folder = NormalFolder(std::string(line));
  return w;
}

std::string WatchLine(const WatchedFolder& watched) {
  std::string line = watched.folder;
  if (line.empty() || line.back() != '\\') line += '\\';
  line += watched.subfolders ? "**" : "*";
  return line;
}

std::optional<std::string> ParseExclusionLine(std::string_view line) {
  if (line.size() < 2 || line.front() != '-') return std::nullopt;
  line.remove_prefix(1);
  if (!IsFullPath(line) || HasControlCharacter(line) || line.size() > kMaxPathLength) return std::nullopt;
  return std::string(line);
}

std::string PathKey(std::string_view path) {
  std::string key(path);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    } else if (c == '/') {
      c = '\\';
    }
  }
  return key;
}

namespace {

constexpr std::uint64_t kFnvBasis = 14695981039346656037ull, kFnvPrime = 1099511628211ull;

char KeyChar(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c == '/' ? '\\' : c;
}

std::uint64_t Feed(std::uint64_t h, char c) {
  return (h ^ static_cast<unsigned char>(KeyChar(c))) * kFnvPrime;
}

// Whether text starts with prefix as keys compare them.
bool StartsWithKey(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (KeyChar(text[i]) != KeyChar(prefix[i])) return false;
  }
  return true;
}

// The length of the watched folder's part of a path inside it, its ""
// included; 0 when the path does not start with it.
std::size_t FolderPartLength(const WatchedFolder& watched, std::string_view path) {
  std::string_view folder = watched.folder;
  if (folder.empty() || !StartsWithKey(path, folder)) return 0;
  if (folder.back() == '\\') return folder.size();
  if (path.size() <= folder.size() || KeyChar(path[folder.size()]) != '\\') return 0;
  return folder.size() + 1;
}

}  // namespace

std::uint64_t PathHash(std::string_view path) {
  std::uint64_t h = kFnvBasis;
  for (char c : path) h = Feed(h, c);
  return h;
}

std::uint64_t PathHash(const ListEntry& entry) { return PathHashes(entry, entry.dir.size(), nullptr); }

std::uint64_t PathHashes(const ListEntry& entry, std::size_t skip, const std::function<void(std::uint64_t)>& onFolder) {
  std::uint64_t h = kFnvBasis;
  for (std::size_t i = 0; i < entry.dir.size(); ++i) {
    if (onFolder && i > skip && KeyChar(entry.dir[i]) == '\\') onFolder(h);
    h = Feed(h, entry.dir[i]);
  }
  for (char c : entry.name) h = Feed(h, c);
  for (char c : entry.ext) h = Feed(h, c);
  return h;
}

bool InWatchedFolder(const WatchedFolder& watched, std::string_view path) {
  const std::size_t skip = FolderPartLength(watched, path);
  if (skip == 0) return false;
  const std::string_view rest = path.substr(skip);
  if (rest.empty() || KeyChar(rest.front()) == '\\' || KeyChar(rest.back()) == '\\') return false;
  if (watched.subfolders) return true;
  return std::none_of(rest.begin(), rest.end(), [](char c) { return KeyChar(c) == '\\'; });
}

bool InWatchedFolder(const WatchedFolder& watched, const ListEntry& entry) {
  if (entry.name.empty() && entry.ext.empty()) return false;
  const std::size_t skip = FolderPartLength(watched, entry.dir);
  if (skip == 0) return false;
  const std::string_view below = std::string_view(entry.dir).substr(skip);  // subfolders, each with its "\"
  if (below.empty()) return true;
  return watched.subfolders && KeyChar(below.front()) != '\\';
}

bool BelongsToWatched(const WatchedFolder& watched, std::string_view path) {
  return path.size() <= kMaxPathLength && !HasControlCharacter(path) && InWatchedFolder(watched, path) &&
         KindOfEntry(path) == EntryKind::Picture;
}

bool WatchList::Watch(WatchedFolder watched) {
  watched.folder = NormalFolder(std::move(watched.folder));
  if (watched.folder.empty()) return false;
  const std::string key = PathKey(watched.folder);
  for (WatchedFolder& w : folders_) {
    if (PathKey(w.folder) == key) {
      if (!watched.subfolders || w.subfolders) return false;
      w.subfolders = true;
      return true;
    }
    if (w.subfolders && InWatchedFolder(w, watched.folder)) return false;
  }
  folders_.push_back(std::move(watched));
  return true;
}

bool WatchList::Unwatch(std::string_view folder) {
  const std::string key = PathKey(NormalFolder(std::string(folder)));
  const auto it = std::find_if(folders_.begin(), folders_.end(), [&](const WatchedFolder& w) { return PathKey(w.folder) == key; });
  if (it == folders_.end()) return false;
  folders_.erase(it);
  std::vector<std::string> kept;
  excludedKeys_.clear();
  for (std::string& path : excluded_) {
    if (OwnerOf(path) < 0) continue;
    excludedKeys_.insert(PathKey(path));
    kept.push_back(std::move(path));
  }
  excluded_ = std::move(kept);
  return true;
}

int WatchList::OwnerOf(std::string_view path) const {
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    if (InWatchedFolder(folders_[i], path)) return static_cast<int>(i);
  }
  return -1;
}

bool WatchList::Exclude(std::string_view path) {
  if (OwnerOf(path) < 0 || !excludedKeys_.insert(PathKey(path)).second) return false;
  excluded_.emplace_back(path);
  return true;
}

bool WatchList::IsExcluded(std::string_view path) const { return excludedKeys_.count(PathKey(path)) != 0; }

void WatchList::Clear() {
  folders_.clear();
  excluded_.clear();
  excludedKeys_.clear();
}

WatchList WatchList::FromLines(const std::vector<std::string>& lines) {
  WatchList list;
  std::vector<std::string> exclusions;
  for (const std::string& line : lines) {
    if (auto watched = ParseWatchLine(line)) {
      list.Watch(std::move(*watched));
    } else if (auto path = ParseExclusionLine(line)) {
      exclusions.push_back(std::move(*path));
    }
  }
  // Folders first: an exclusion may come before its folder's line.
  for (const std::string& path : exclusions) list.Exclude(path);
  return list;
}

std::string WatchList::Serialize() const {
  std::string out;
  for (const WatchedFolder& w : folders_) out += WatchLine(w) + "\r\n";
  for (const std::string& path : excluded_) out += "-" + path + "\r\n";
  return out;
}

std::vector<int> DuplicateIndexes(const std::vector<ListEntry>& entries) {
  std::vector<int> repeats;
  std::unordered_set<std::string> seen;
  seen.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!seen.insert(PathKey(entries[i].FullPath())).second) repeats.push_back(static_cast<int>(i));
  }
  return repeats;
}

std::vector<int> PlaceNewEntries(const std::vector<ListEntry>& entries, std::vector<ListEntry>& added,
                                 std::optional<ListOrder> order) {
  if (!order) return std::vector<int>(added.size(), static_cast<int>(entries.size()));
  std::vector<ListEntry> sorted;
  sorted.reserve(added.size());
  for (const int from : SortedOrder(added, *order)) sorted.push_back(std::move(added[static_cast<std::size_t>(from)]));
  added = std::move(sorted);
  // A search with keys made as it goes: a few dozen per new entry, however
  // long the list.
  std::unordered_map<std::size_t, SortKeys> made;
  const auto keyAt = [&](std::size_t i) -> const SortKeys& {
    auto it = made.find(i);
    if (it == made.end()) it = made.emplace(i, KeysOf(entries[i], *order)).first;
    return it->second;
  };
  std::vector<int> places;
  places.reserve(added.size());
  std::size_t low = 0;  // added is in order: each goes at or after the one before
  for (const ListEntry& e : added) {
    const SortKeys key = KeysOf(e, *order);
    std::size_t lo = low, hi = entries.size();
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (Before(key, keyAt(mid))) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    places.push_back(static_cast<int>(lo));
    low = lo;
  }
  return places;
}

}  // namespace vd
