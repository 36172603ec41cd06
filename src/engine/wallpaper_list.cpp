#include "engine/wallpaper_list.h"

#include <algorithm>
#include <iterator>

#include "engine/paths.h"

namespace vd {

ListEntry SplitEntry(const std::string& path) {
  return {SplitPath(path, 1), SplitPath(path, 2), SplitPath(path, 3)};
}

namespace {

const char* const kBuiltInExtensions[] = {".bmp", ".jpeg", ".jpg", ".gif", ".png", ".tif", ".tiff"};

std::vector<std::string>& SystemExtensions() {
  static std::vector<std::string> extensions;
  return extensions;
}

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

std::vector<std::string> PictureExtensions() {
  std::vector<std::string> all(std::begin(kBuiltInExtensions), std::end(kBuiltInExtensions));
  for (const std::string& e : SystemExtensions())
    if (std::find(all.begin(), all.end(), e) == all.end()) all.push_back(e);
  return all;
}

void SetSystemPictureExtensions(const std::vector<std::string>& extensions) {
  std::vector<std::string>& kept = SystemExtensions();
  kept.clear();
  for (const std::string& e : extensions) {
    // A dot and a few letters or digits: nothing that could widen a file
    // dialog's pattern or a folder filter.
    const bool plain = e.size() >= 2 && e.size() <= 16 && e[0] == '.' &&
                       std::all_of(e.begin() + 1, e.end(), [](char c) {
                         return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
                       });
    if (plain && std::find(kept.begin(), kept.end(), Lower(e)) == kept.end()) kept.push_back(Lower(e));
  }
}

bool IsListedImageExtension(std::string_view ext) {
  const std::string lower = Lower(ext);
  const std::vector<std::string>& system = SystemExtensions();
  return std::find(std::begin(kBuiltInExtensions), std::end(kBuiltInExtensions), lower) !=
             std::end(kBuiltInExtensions) ||
         std::find(system.begin(), system.end(), lower) != system.end();
}

}  // namespace vd
