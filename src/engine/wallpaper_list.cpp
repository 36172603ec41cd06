#include "engine/wallpaper_list.h"

#include "engine/paths.h"

namespace vd {

ListEntry SplitEntry(const std::string& path) {
  return {SplitPath(path, 1), SplitPath(path, 2), SplitPath(path, 3)};
}

bool IsListedImageExtension(std::string_view ext) {
  if (ext.size() < 4 || ext.size() > 5) return false;
  std::string lower(ext);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower == ".bmp" || lower == ".jpg" || lower == ".jpeg" || lower == ".gif";
}

}  // namespace vd
