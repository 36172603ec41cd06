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

std::string GetLongPath(FileSystemPort& fs, const std::string& path) {
  // Only fully qualified drive paths: "C:" alone means the current folder of
  // drive C, and UNC or rooted paths have no drive letter to keep.
  if (path.size() < 3 || !IsAsciiLetter(path[0]) || path[1] != ':' || path[2] != '\\') return "";
  if (HasForbiddenCharacter(path)) return "";

  // "." and ".." are resolved first, as the system resolves them (".." at the
  // root stays there): a search for "C:\a\." finds the folder a itself, whose
  // name would then be spelled twice.
  std::vector<std::string> parts;
  for (std::size_t start = 3; start < path.size();) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part.empty()) return "";  // "C:\a\\b"
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part.find_first_not_of('.') == std::string::npos) {
      if (part != ".") return "";  // "..." names nothing
    } else {
      parts.push_back(part);
    }
    start = end + 1;
  }

  std::string lookup = path.substr(0, 2);
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
    const auto a = fs.Attributes(path.substr(0, 3));
    if (!a || (*a & attr::Directory) == 0) return "";
  }
  return path.substr(0, 2) + result;
}

}  // namespace vd
