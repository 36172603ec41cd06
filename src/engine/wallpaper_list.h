// One entry of the wallpaper list and which files may enter it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vd {

struct ListEntry {
  std::string dir;   // folder with its trailing "\"
  std::string name;  // file name without extension; what the user sees
  std::string ext;   // extension with its dot, spelled as in the file name
  std::string FullPath() const { return dir + name + ext; }
};

ListEntry SplitEntry(const std::string& path);

// The extensions of the pictures the list takes, with their dots, in lower
// case: BMP, JPEG, GIF, PNG and TIFF, then those the system's codecs add.
std::vector<std::string> PictureExtensions();

// What the system's codecs read besides (".webp", ".heic", ...), set once at
// start; entries that are no extension are left out.
void SetSystemPictureExtensions(const std::vector<std::string>& extensions);

// One of PictureExtensions() in any case.
bool IsListedImageExtension(std::string_view ext);

}  // namespace vd
