// One entry of the wallpaper list and which files may enter it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
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

// What a file is to the list, judged by its name: a picture the system
// decodes; a picture kind it has no decoder for (WebP without the codec,
// say); or no picture at all. Adding takes only the first; a loaded list
// keeps the second too, since the codec may come back.
enum class EntryKind { Picture, NoDecoder, NotPicture };
EntryKind KindOfEntry(std::string_view path);

// The files an addition passed over, by reason, for the one message after it.
class SkippedFiles {
 public:
  // kind Picture counts nothing.
  void Add(EntryKind kind, std::string_view path);
  // A path too long for the file functions to open.
  void AddTooLong() { ++tooLong_; }
  int Count() const;
  // One line a reason, "3 files skipped: no decoder for .webp on this
  // system"; "" when nothing was skipped.
  std::string Message() const;

 private:
  std::vector<std::pair<std::string, int>> noDecoder_;  // lower-case extension, count; in the order met
  int notPicture_ = 0;
  int tooLong_ = 0;
};

}  // namespace vd
