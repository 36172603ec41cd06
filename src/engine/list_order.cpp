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

// Compares the digit runs starting at a[i] and b[j] by value and moves past them.
int CompareNumbers(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
  auto skipZeros = [](std::string_view s, std::size_t& k) {
    while (k < s.size() && s[k] == '0') ++k;
  };
  skipZeros(a, i);
  skipZeros(b, j);
  const std::size_t startA = i, startB = j;
  while (i < a.size() && IsDigit(static_cast<unsigned char>(a[i]))) ++i;
  while (j < b.size() && IsDigit(static_cast<unsigned char>(b[j]))) ++j;
  // Without leading zeros, the longer run is the larger number.
  if (i - startA != j - startB) return i - startA < j - startB ? -1 : 1;
  const int c = a.substr(startA, i - startA).compare(b.substr(startB, j - startB));
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

int CompareNatural(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
    const bool da = IsDigit(ca), db = IsDigit(cb);
    if (da && db) {
      if (const int c = CompareNumbers(a, i, b, j)) return c;
      continue;
    }
    std::size_t la = 1, lb = 1;
    // A number sorts where its digits would: after every character below "0".
    const char32_t ka = da ? U'0' : SortKey(DecodeAt(a, i, la));
    const char32_t kb = db ? U'0' : SortKey(DecodeAt(b, j, lb));
    if (ka != kb) return ka < kb ? -1 : 1;
    i += la;
    j += lb;
  }
  if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::vector<int> SortedOrder(const std::vector<ListEntry>& entries, ListOrder order) {
  std::vector<std::string> paths, names;
  paths.reserve(entries.size());
  for (const ListEntry& e : entries) paths.push_back(e.FullPath());
  if (order == ListOrder::Name) {
    names.reserve(entries.size());
    for (const ListEntry& e : entries) names.push_back(e.name + e.ext);
  }
  std::vector<int> result(entries.size());
  for (std::size_t k = 0; k < result.size(); ++k) result[k] = static_cast<int>(k);
  std::stable_sort(result.begin(), result.end(), [&](int x, int y) {
    const auto ux = static_cast<std::size_t>(x), uy = static_cast<std::size_t>(y);
    if (order == ListOrder::Name) {
      if (const int c = CompareNatural(names[ux], names[uy])) return c < 0;
    }
    return CompareNatural(paths[ux], paths[uy]) < 0;
  });
  return result;
}

}  // namespace vd
