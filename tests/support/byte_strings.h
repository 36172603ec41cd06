// Little- and big-endian numbers and JPEG segments as byte strings, for
// writing picture files by hand in tests and fuzz inputs.
#pragma once

#include <string>

namespace bytes {

inline std::string Le16(unsigned v) { return {static_cast<char>(v & 255), static_cast<char>((v >> 8) & 255)}; }
inline std::string Le32(unsigned v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
inline std::string Be16(unsigned v) { return {static_cast<char>((v >> 8) & 255), static_cast<char>(v & 255)}; }
inline std::string Be32(unsigned v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }

// A JPEG marker segment: FF, the marker, the big-endian length, the body.
inline std::string Segment(unsigned marker, const std::string& body) {
  return std::string("\xFF") + static_cast<char>(marker) + Be16(static_cast<unsigned>(body.size() + 2)) + body;
}

}  // namespace bytes
