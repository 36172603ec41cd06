// Ordering the wallpaper list by name or by location.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/wallpaper_list.h"

namespace vd {

// The order people expect of file names: letters without regard to case
// (ASCII, Latin-1, Greek and Cyrillic), runs of digits by their value ("img2"
// before "img10", "7" and "007" alike), "\" before every other character so a
// folder's pictures come before those of a folder whose name goes on longer.
// Other characters by code point. Texts equal by this rule are ordered by
// their bytes, so only identical texts compare equal. Negative, 0 or positive.
int CompareNatural(std::string_view a, std::string_view b);

// A text whose byte order (as unsigned chars, std::string's) is the order
// above: sorting many texts compares their keys, made once each.
std::string NaturalSortKey(std::string_view text);

enum class ListOrder { Location = 0, Name = 1 };

// The positions of entries in the new order: result[k] is the index of the
// entry that goes to place k. Location compares full paths; Name compares
// file names (extension included), then full paths.
std::vector<int> SortedOrder(const std::vector<ListEntry>& entries, ListOrder order);

}  // namespace vd
