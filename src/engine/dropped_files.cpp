#include "engine/dropped_files.h"

#include "engine/paths.h"

namespace vd {

bool IsListFileName(const std::string& path) {
  const std::string ext = SplitPath(path, 3);
  if (ext.size() != 4) return false;
  std::string lower = ext;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower == ".vdl";
}

std::size_t Utf16Length(const std::string& utf8) {
  std::size_t n = 0;
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) != 0x80) ++n;  // a lead byte or ASCII starts a character
    if (b >= 0xF0) ++n;            // four bytes: a surrogate pair
  }
  return n;
}

DroppedItems SortDroppedFiles(FileSystemPort& fs, const std::vector<std::string>& paths) {
  DroppedItems items;
  ListPathSpeller speller(fs);  // one for the whole drop: folders are looked up once
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    if (Utf16Length(path) > kLongestUsablePath) {
      items.skipped.AddTooLong();
      continue;
    }
    const auto attributes = fs.Attributes(path);
    if (!attributes) continue;  // gone since the drag began
    if ((*attributes & attr::Directory) != 0) {
      items.folders.push_back(path);
      continue;
    }
    if (IsListFileName(path)) {
      if (NormalFileExists(fs, path)) items.lists.push_back(path);
      continue;
    }
    const EntryKind kind = KindOfEntry(path);
    if (kind != EntryKind::Picture) {
      items.skipped.Add(kind, path);
      continue;
    }
    const std::optional<std::string> spelled = speller.Spell(path);
    if (!spelled || fs.LookUp(*spelled).presence != Presence::Found || KindOfEntry(*spelled) != EntryKind::Picture)
      continue;
    items.pictures.push_back(SplitEntry(*spelled));
  }
  return items;
}

}  // namespace vd
