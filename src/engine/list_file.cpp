#include "engine/list_file.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

#include "engine/paths.h"

namespace vd {

namespace {

constexpr std::size_t kLinesPerYield = 256;
// Longest path Windows accepts; a longer line can name no file.
constexpr std::size_t kMaxPathLength = 32767;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool HasControlCharacter(const std::string& line) {
  for (char c : line) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
  }
  return false;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;  // overlong
      if (c == 0xED) hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;  // overlong
      if (c == 0xF4) hi = 0x8F;  // past U+10FFFF
    } else {
      return false;
    }
    if (n - i < len || s[i + 1] < lo || s[i + 1] > hi) return false;
    for (std::size_t k = 2; k < len; ++k) {
      if (!IsContinuation(s[i + k])) return false;
    }
    i += len;
  }
  return true;
}

std::vector<std::string> SplitListLines(std::string_view bytes,
                                        const std::function<std::string(std::string_view)>& decodeLegacy) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(start, end - start);
    if (!line.empty()) {
      if (IsValidUtf8(line)) {
        lines.emplace_back(line);
      } else if (decodeLegacy) {
        std::string decoded = decodeLegacy(line);
        if (!decoded.empty()) lines.push_back(std::move(decoded));
      }
    }
    start = end + 1;
    if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

std::string SerializeList(const std::vector<ListEntry>& entries) {
  std::string out;
  for (const ListEntry& e : entries) {
    out += e.FullPath();
    out += "\r\n";
  }
  return out;
}

EntryCheck CheckEntry(ListPathSpeller& speller, FileSystemPort& fs, const std::string& path) {
  if (std::optional<std::string> spelled = speller.Spell(path)) return {EntryPresence::There, std::move(*spelled)};
  std::string slashed = path;
  for (char& c : slashed) {
    if (c == '/') c = '\\';
  }
  // Only a full path ("X:\..." or "\\server\share\...") can be away; any
  // other names no file once the speller finds none.
  const bool drive = slashed.size() >= 3 && slashed[1] == ':' && slashed[2] == '\\';
  const bool share = slashed.rfind("\\\\", 0) == 0;
  if (!drive && !share) return {};
  std::string folder = SplitPath(slashed, 1);
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  // A share's root is only known with its backslash: "\\server\share\".
  if (share && std::count(folder.begin() + 2, folder.end(), '\\') == 1) folder += '\\';
  // Something there (a file in the folder's place counts) rules the file out.
  if (fs.Attributes(folder)) return {};
  return {EntryPresence::Away, slashed};
}

void FilterListLines(const std::vector<std::string>& lines, FileSystemPort& fs,
                     const std::function<void(ListEntry)>& append, const std::function<void()>& yield) {
  ListPathSpeller speller(fs);
  std::size_t sinceYield = 0;
  for (const std::string& line : lines) {
    if (yield && ++sinceYield == kLinesPerYield) {
      sinceYield = 0;
      yield();
    }
    // A control character (a NUL above all) would cut the path short at the
    // system call and let the line pass for some other file.
    if (line.size() > kMaxPathLength || HasControlCharacter(line)) continue;
    if (KindOfEntry(line) == EntryKind::NotPicture) continue;
    EntryCheck check = CheckEntry(speller, fs, line);
    if (check.presence == EntryPresence::Gone || KindOfEntry(check.path) == EntryKind::NotPicture) continue;
    append(SplitEntry(check.path));
  }
}

}  // namespace vd
