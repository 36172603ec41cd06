// One entry of the wallpaper list and which files may enter it.
#pragma once

#include <string>
#include <string_view>

namespace vd {

struct ListEntry {
  std::string dir;   // folder with its trailing "\"
  std::string name;  // file name without extension; what the user sees
  std::string ext;   // extension with its dot, spelled as in the file name
  std::string FullPath() const { return dir + name + ext; }
};

ListEntry SplitEntry(const std::string& path);

// ".bmp", ".jpg", ".jpeg" or ".gif" in any case.
bool IsListedImageExtension(std::string_view ext);

}  // namespace vd
