#include "engine/paths.h"

#include <cstddef>

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

std::string GetLongPath(FileSystemPort& fs, const std::string& path) {
  // Only fully qualified drive paths: "C:" alone means the current folder of
  // drive C, and UNC or rooted paths have no drive letter to keep.
  if (path.size() < 3 || !IsAsciiLetter(path[0]) || path[1] != ':' || path[2] != '\\') return "";
  if (HasForbiddenCharacter(path)) return "";

  std::string work = path;
  if (work.back() == '\\') work.pop_back();
  work += '\\';

  std::string result;
  for (std::size_t p = work.find('\\', 3); p != std::string::npos; p = work.find('\\', p + 1)) {
    const std::size_t prev = work.rfind('\\', p - 1);
    if (prev + 1 == p) return "";  // empty component ("C:\a\\b")
    const auto item = fs.FindItem(work.substr(0, p));
    if (!item || item->name.empty()) return "";
    result += '\\';
    result += item->name;
  }
  if (result.empty()) {
    // A bare drive root has no component to look up; it must still exist.
    const auto a = fs.Attributes(work.substr(0, 3));
    if (!a || (*a & attr::Directory) == 0) return "";
  }
  return work.substr(0, 2) + result;
}

}  // namespace vd
