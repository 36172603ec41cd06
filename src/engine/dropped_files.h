// What a drop of files and folders on the main window brings, sorted the way
// the list takes each kind.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/ports.h"
#include "engine/wallpaper_list.h"

namespace vd {

struct DroppedItems {
  std::vector<ListEntry> pictures;   // as Add File takes them, spelled as the list keeps paths
  std::vector<std::string> folders;  // for Add Folder, as dropped
  std::vector<std::string> lists;    // list files (".vdl"), each to be confirmed before it replaces the list
  SkippedFiles skipped;              // what is no picture, has no decoder, or has too long a path
};

// The longest path, in UTF-16 units, that the file functions the program
// uses can open.
inline constexpr std::size_t kLongestUsablePath = 259;

// Sorts the dropped paths (UTF-8) in their order. A path longer than
// kLongestUsablePath is skipped and counted, never cut short. A file that is
// not there (any more), or is hidden or a system file, is passed over
// silently, as Add File does.
DroppedItems SortDroppedFiles(FileSystemPort& fs, const std::vector<std::string>& paths);

// The length of UTF-8 text in UTF-16 units, as the system counts a path.
std::size_t Utf16Length(const std::string& utf8);

// True for a list file's name (".vdl" in any case).
bool IsListFileName(const std::string& path);

}  // namespace vd
