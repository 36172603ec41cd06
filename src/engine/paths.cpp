#include "engine/paths.h"

#include <cstddef>
#include <vector>

namespace vd {

std::string SplitPath(const std::string& path, int part) {
  const std::size_t slash = path.rfind('\\');
  const std::size_t dot = path.rfind('.');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (part == 1) return path.substr(0, nameStart);
  if (part == 2) {
    if (dot == std::string::npos || dot < nameStart) return path.substr(nameStart);
    return path.substr(nameStart, dot - nameStart);
  }
  if (dot == std::string::npos) return path;
  return path.substr(dot);
}

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters that cannot appear in a component. Wildcards matter most: a
// search for "C:\P*" would find some other item and return its name.
bool HasForbiddenCharacter(const std::string& path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 0x20) return true;
    switch (c) {
      case '*': case '?': case '"': case '<': case '>': case '|': case '/':
        return true;
      case ':':
        if (i != 1) return true;
        break;
      default:
        break;
    }
  }
  return false;
}

}  // namespace

std::string ScratchPathBeside(const std::string& path, char mark, char otherMark) {
  const std::size_t slash = path.rfind('\\');
  const std::size_t first = slash == std::string::npos ? 0 : slash + 1;
  if (first >= path.size()) return "";
  std::string scratch = path;
  scratch[first] = path[first] == mark ? otherMark : mark;
  return scratch;
}

namespace {

bool IsDriveAbsolute(const std::string& path) {
  return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

std::string WithBackslashes(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// The components of a drive path after "X:\", with "." and ".." resolved as
// the system resolves them (".." at the root stays there): a search for
// "C:\a\." finds the folder a itself, whose name would then be spelled twice.
// False for a component of three or more dots, and for an empty one unless
// skipEmpty.
bool ResolveParts(const std::string& path, bool skipEmpty, std::vector<std::string>& parts) {
  parts.clear();
  for (std::size_t start = 3; start < path.size();) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty()) {
      if (skipEmpty) continue;
      return false;  // "C:\a\\b"
    }
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part.find_first_not_of('.') == std::string::npos) {
      if (part != ".") return false;  // "..." names nothing
    } else {
      parts.push_back(part);
    }
  }
  return true;
}

}  // namespace

std::string GetLongPath(FileSystemPort& fs, const std::string& path) {
  // Only fully qualified drive paths: "C:" alone means the current folder of
  // drive C, and UNC or rooted paths have no drive letter to keep.
  const std::string p = WithBackslashes(path);
  if (!IsDriveAbsolute(p) || HasForbiddenCharacter(p)) return "";
  std::vector<std::string> parts;
  if (!ResolveParts(p, false, parts)) return "";

  std::string lookup = p.substr(0, 2);
  std::string result;
  for (const std::string& part : parts) {
    lookup += '\\';
    lookup += part;
    const auto item = fs.FindItem(lookup);
    if (!item || item->name.empty()) return "";
    result += '\\';
    result += item->name;
  }
  if (result.empty()) {
    // A bare drive root has no component to look up; it must still exist.
    const auto a = fs.Attributes(p.substr(0, 3));
    if (!a || (*a & attr::Directory) == 0) return "";
  }
  return p.substr(0, 2) + result;
}

std::optional<std::string> ListPathSpeller::Spell(const std::string& path) {
  const std::string p = WithBackslashes(path);
  std::vector<std::string> parts;
  if (!IsDriveAbsolute(p) || HasForbiddenCharacter(p) || !ResolveParts(p, true, parts) || parts.empty()) {
    // Not a form this knows how to spell (a network path, say): kept as
    // given when it names a normal file, as lists have always been read.
    if (NormalFileExists(fs_, path)) return path;
    return std::nullopt;
  }
  std::string spelled = p.substr(0, 2);
  if (spelled[0] >= 'a' && spelled[0] <= 'z') spelled[0] = static_cast<char>(spelled[0] - 'a' + 'A');
  for (std::size_t k = 0; k + 1 < parts.size(); ++k) {
    const std::string asked = spelled + '\\' + parts[k];
    auto known = folders_.find(asked);
    if (known == folders_.end()) {
      const ItemLookup found = fs_.LookUp(asked);
      std::optional<std::string> folder;
      if (found.presence == Presence::Unknown) {
        folder = asked;  // cannot be told: kept as written
      } else if (found.presence == Presence::Found && (found.item.attributes & attr::Directory) != 0 &&
                 !found.item.name.empty()) {
        folder = spelled + '\\' + found.item.name;
      }
      known = folders_.emplace(asked, std::move(folder)).first;
    }
    if (!known->second) return std::nullopt;
    spelled = *known->second;
  }
  const std::string asked = spelled + '\\' + parts.back();
  const ItemLookup found = fs_.LookUp(asked);
  if (found.presence == Presence::Unknown) return asked;  // locked, say: it is there all the same
  if (found.presence == Presence::Missing || found.item.name.empty()) return std::nullopt;
  if ((found.item.attributes & (attr::Hidden | attr::System | attr::Directory)) != 0) return std::nullopt;
  return spelled + '\\' + found.item.name;
}

}  // namespace vd
