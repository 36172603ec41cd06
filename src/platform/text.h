// Text conversions at the edges of the program.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Decodes text in the system's legacy ANSI code page to UTF-8, for list
// files written before the program used UTF-8.
std::string LegacyAnsiToUtf8(std::string_view text);

}  // namespace platform
