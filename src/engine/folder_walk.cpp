#include "engine/folder_walk.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vd {

namespace {

constexpr std::size_t kFilesPerYield = 256;
// Longest path Windows accepts; also ends a walk around a folder link loop.
constexpr std::size_t kMaxPathLength = 32767;

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
  const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                              [](char a, char b) { return FoldCase(a) == FoldCase(b); });
  return it != haystack.end() || needle.empty();
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(FoldCase(x)) < static_cast<unsigned char>(FoldCase(y));
  });
}

bool IsVisible(const DirEntry& e) { return (e.attributes & (attr::Hidden | attr::System)) == 0; }
bool IsFolder(const DirEntry& e) { return (e.attributes & attr::Directory) != 0; }
// A folder link or junction may lead back up the tree (a walk without end) or
// anywhere else on the system; only real subfolders are walked.
bool IsLink(const DirEntry& e) { return (e.attributes & attr::ReparsePoint) != 0; }

std::vector<std::string> SortedNames(std::vector<std::string> names) {
  std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

}  // namespace

std::string StripFilterStars(std::string filter) {
  filter.erase(std::remove(filter.begin(), filter.end(), '*'), filter.end());
  return filter;
}

bool MatchesFilter(const std::string& filter, const std::string& fileName) {
  if (filter.empty()) return true;
  std::string_view rest(filter);
  if (rest.front() == '|') rest.remove_prefix(1);
  while (true) {
    const std::size_t bar = rest.find('|');
    if (ContainsIgnoringCase(fileName, rest.substr(0, bar))) return true;
    if (bar == std::string_view::npos) return false;
    rest.remove_prefix(bar + 1);
  }
}

void WalkFolder(FileSystemPort& fs, const std::string& folder, bool recurse, const std::string& filter,
                const std::function<void(const ListEntry&)>& onMatch, const std::function<void()>& yield) {
  if (folder.empty()) return;
  std::deque<std::string> pending{folder};
  // Folders already walked, by identity: a link that the system does not
  // mark as one (a symbolic link made outside Windows) still cannot lead the
  // walk round in a circle.
  std::unordered_set<std::string> walked;
  std::size_t sinceYield = 0;
  while (!pending.empty()) {
    if (yield) yield();
    const std::string current = std::move(pending.front());
    pending.pop_front();
    if (recurse) {
      const std::optional<std::string> identity = fs.FolderIdentity(current);
      if (identity && !walked.insert(*identity).second) continue;
    }
    const std::vector<DirEntry> entries = fs.ListFolder(current);

    std::vector<std::string> files, subfolders;
    for (const DirEntry& e : entries) {
      if (!IsVisible(e) || e.name.empty()) continue;
      if (!IsFolder(e)) {
        files.push_back(e.name);
      } else if (!IsLink(e)) {
        subfolders.push_back(e.name);
      }
    }

    // A root such as "C:\" already ends in "\"; its entries then carry two,
    // just as folders picked in the folder dialog always have.
    const std::string dir = current + '\\';
    for (const std::string& name : SortedNames(std::move(files))) {
      if (yield && ++sinceYield == kFilesPerYield) {
        sinceYield = 0;
        yield();
      }
      if (!MatchesFilter(filter, name)) continue;
      const std::size_t dot = name.rfind('.');
      if (dot == std::string::npos) {
        onMatch(ListEntry{dir, name, ""});
      } else {
        onMatch(ListEntry{dir, name.substr(0, dot), name.substr(dot)});
      }
    }

    if (!recurse) break;
    const std::string parent = current.back() == '\\' ? current : current + '\\';
    for (const std::string& name : SortedNames(std::move(subfolders))) {
      if (parent.size() + name.size() <= kMaxPathLength) pending.push_back(parent + name);
    }
  }
}

void WalkPictures(FileSystemPort& fs, const std::string& folder, bool recurse, const std::string& filter,
                  const std::function<void(const ListEntry&)>& onPicture, SkippedFiles& skipped,
                  const std::function<void()>& yield) {
  WalkFolder(
      fs, folder, recurse, std::string(),
      [&](const ListEntry& e) {
        const std::string fileName = e.name + e.ext;
        const EntryKind kind = KindOfEntry(fileName);
        if (kind == EntryKind::Picture) {
          if (MatchesFilter(filter, fileName)) onPicture(e);
        } else if (kind == EntryKind::NoDecoder || MatchesFilter(filter, fileName)) {
          skipped.Add(kind, fileName);
        }
      },
      yield);
}

}  // namespace vd
