// Listing the pictures of a folder, and optionally of every folder below it.
#pragma once

#include <functional>
#include <string>

#include "engine/ports.h"
#include "engine/wallpaper_list.h"

namespace vd {

// A filter is stored without its "*": "*.bmp|*.jpg" becomes ".bmp|.jpg".
std::string StripFilterStars(std::string filter);

// True when the filter is empty or one of its "|"-separated fragments occurs
// anywhere in fileName, ignoring ASCII case. An empty fragment (between two
// "|" or after a final one) matches every name; a leading "|" adds none.
bool MatchesFilter(const std::string& filter, const std::string& fileName);

// Walks folder breadth-first (only folder itself without recurse). In each
// folder the visible files are taken in name order, and each that passes the
// filter is reported as an entry whose dir is the folder followed by "\".
// Hidden and system files and folders are skipped, and so is a folder that
// cannot be read; folder links and junctions are not followed. yield runs for every folder and every few hundred files.
void WalkFolder(FileSystemPort& fs, const std::string& folder, bool recurse, const std::string& filter,
                const std::function<void(const ListEntry&)>& onMatch, const std::function<void()>& yield);

// WalkFolder for an addition: every picture the system decodes that passes
// the filter goes to onPicture; a picture kind without a decoder (whatever
// the filter, which names only decoded kinds) and a file the filter took
// that is no picture are counted in skipped instead.
void WalkPictures(FileSystemPort& fs, const std::string& folder, bool recurse, const std::string& filter,
                  const std::function<void(const ListEntry&)>& onPicture, SkippedFiles& skipped,
                  const std::function<void()>& yield);

}  // namespace vd
