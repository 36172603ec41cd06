#include "engine/list_order.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vd {

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The code point at s[i] and its length in bytes. A byte that starts no
// well-formed sequence stands for itself, so every text can be compared.
char32_t DecodeAt(std::string_view s, std::size_t i, std::size_t& length) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  length = 1;
  if (c < 0x80) return c;
  std::size_t n = 0;
  char32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return c;
  }
  if (s.size() - i < n) return c;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return c;
    cp = (cp << 6) | (b(k) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are no characters.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return c;
  length = n;
  return cp;
}

// Lower case for the scripts file names mostly use; "\" first of all.
char32_t SortKey(char32_t c) {
  if (c == '\\') return 1;
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c < 0x80) return c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;     // Latin-1 letters
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;                 // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

// Each character becomes its sort key in UTF-8, whose byte order is code
// point order. A run of digits becomes "0", its length without leading zeros
// in four bytes, and those digits: it sorts where "0" would, and among
// numbers the longer is the larger. Every part says where it ends, so the
// parts compare one by one. A NUL, below every part, ends the text's parts;
// the text's own bytes follow to tell apart texts that are otherwise alike.
std::string NaturalSortKey(std::string_view text) {
  std::string key;
  key.reserve(text.size() * 2 + 8);
  for (std::size_t i = 0; i < text.size();) {
    if (IsDigit(static_cast<unsigned char>(text[i]))) {
      while (i < text.size() && text[i] == '0') ++i;
      const std::size_t start = i;
      while (i < text.size() && IsDigit(static_cast<unsigned char>(text[i]))) ++i;
      const auto length = static_cast<std::uint32_t>(i - start);
      key += '0';
      for (int shift = 24; shift >= 0; shift -= 8) key += static_cast<char>((length >> shift) & 0xFF);
      key.append(text.substr(start, i - start));
      continue;
    }
    std::size_t length = 1;
    AppendUtf8(key, SortKey(DecodeAt(text, i, length)));
    i += length;
  }
  key += '\0';
  key.append(text);
  return key;
}

int CompareNatural(std::string_view a, std::string_view b) {
  const int c = NaturalSortKey(a).compare(NaturalSortKey(b));
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::vector<int> SortedOrder(const std::vector<ListEntry>& entries, ListOrder order) {
  // Keys made once: comparing them is a plain byte comparison.
  std::vector<std::string> paths, names;
  paths.reserve(entries.size());
  for (const ListEntry& e : entries) paths.push_back(NaturalSortKey(e.FullPath()));
  if (order == ListOrder::Name) {
    names.reserve(entries.size());
    for (const ListEntry& e : entries) names.push_back(NaturalSortKey(e.name + e.ext));
  }
  std::vector<int> result(entries.size());
  for (std::size_t k = 0; k < result.size(); ++k) result[k] = static_cast<int>(k);
  std::stable_sort(result.begin(), result.end(), [&](int x, int y) {
    const auto ux = static_cast<std::size_t>(x), uy = static_cast<std::size_t>(y);
    if (order == ListOrder::Name) {
      if (const int c = names[ux].compare(names[uy])) return c < 0;
    }
    return paths[ux] < paths[uy];
  });
  return result;
}

}  // namespace vd
