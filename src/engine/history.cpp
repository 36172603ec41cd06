#include "engine/history.h"

#include <algorithm>
#include <charconv>

namespace vd {

namespace {

constexpr std::string_view kFirstLine = "Vexa Desktop history 1";
constexpr std::string_view kPositionWord = "position ";
// More monitors than any desk has: a line naming more is damaged.
constexpr std::size_t kMaxPictures = 64;
constexpr std::size_t kMaxPathLength = 32767;

// A path as the system could have given it: not empty, no control
// characters (which no file name holds), not too long.
bool PlausiblePath(std::string_view path) {
  if (path.empty() || path.size() > kMaxPathLength) return false;
  return std::none_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
}

bool ReadInt(std::string_view text, int& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParseEntry(std::string_view line, HistoryEntry& entry) {
  std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return false;
  int style = 0;
  if (!ReadInt(line.substr(0, tab), style) || style < -1 || style > 4) return false;
  entry.style = style;
  entry.pictures.clear();
  while (tab != std::string_view::npos) {
    const std::size_t start = tab + 1;
    tab = line.find('\t', start);
    const std::string_view path = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    if (!PlausiblePath(path) || entry.pictures.size() >= kMaxPictures) return false;
    entry.pictures.emplace_back(path);
  }
  return true;
}

}  // namespace

void WallpaperHistory::Record(HistoryEntry entry) {
  if (entry.pictures.empty()) return;
  if (position_ >= 0 && position_ + 1 < Count()) entries_.resize(static_cast<std::size_t>(position_) + 1);
  entries_.push_back(std::move(entry));
  if (entries_.size() > kMaxEntries) entries_.erase(entries_.begin(), entries_.end() - kMaxEntries);
  position_ = Count() - 1;
  ++revision_;
}

int WallpaperHistory::BackTarget(const Usable& usable) const {
  for (int i = std::min(position_, Count()) - 1; i >= 0; --i) {
    if (!usable || usable(At(i))) return i;
  }
  return -1;
}

int WallpaperHistory::ForwardTarget(const Usable& usable) const {
  for (int i = std::max(position_ + 1, 0); i < Count(); ++i) {
    if (!usable || usable(At(i))) return i;
  }
  return -1;
}

void WallpaperHistory::MoveTo(int index) {
  if (index < 0 || index >= Count()) return;
  position_ = index;
  ++revision_;
}

std::string WallpaperHistory::ToText() const {
  std::string text(kFirstLine);
  text += "\r\n";
  text += kPositionWord;
  text += std::to_string(Count() - 1 - std::max(position_, 0));
  text += "\r\n";
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    text += std::to_string(it->style);
    for (const std::string& p : it->pictures) {
      text += '\t';
      text += p;
    }
    text += "\r\n";
  }
  return text;
}

WallpaperHistory WallpaperHistory::FromText(std::string_view text) {
  WallpaperHistory h;
  if (text.size() > kMaxFileBytes) text = text.substr(0, kMaxFileBytes);
  std::vector<HistoryEntry> newestFirst;
  int back = 0;
  std::size_t start = 0;
  bool first = true;
  while (start < text.size() && newestFirst.size() < kMaxEntries) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) break;  // cut off: not whole
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      first = false;
      if (line == kFirstLine) continue;
    }
    if (line.starts_with(kPositionWord)) {
      int n = 0;
      if (ReadInt(line.substr(kPositionWord.size()), n) && n >= 0) back = n;
      continue;
    }
    HistoryEntry entry;
    if (ParseEntry(line, entry)) newestFirst.push_back(std::move(entry));
  }
  h.entries_.assign(std::make_move_iterator(newestFirst.rbegin()), std::make_move_iterator(newestFirst.rend()));
  h.position_ = h.Count() - 1 - std::min(back, std::max(h.Count() - 1, 0));
  return h;
}

}  // namespace vd
