#include "engine/list_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vd {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(ListOrderTest, NaturalComparisonAtItsBoundaries) {
  // Each pair: a strictly before b.
  const std::pair<std::string, std::string> before[] = {
      {"img2", "img10"},
      {"IMG2", "img10"},   // case does not count
      {"img9", "img010"},  // leading zeros do not count
      {"img007", "img7"},  // equal value: the bytes decide
      {"img7", "img08"},
      {"a9999999999999999999", "a12345678901234567890"},  // longer than any integer type
      {"a", "a1"},
      {"a-", "a1"},        // a number sorts as its digits would
      {"a1", "a_"},
      {"apple", "Banana"},
      {"Banana", "cherry"},
      {"ABC", "abc"},      // equal but for case: the bytes decide, so only equal texts compare equal
      {"C:\\Pics\\z.jpg", "C:\\Pics 2\\a.jpg"},  // a folder before a longer folder name
      {"zoe", "\xC3\xA9mile"},                    // non-ASCII after ASCII, by code point
      {"\xC3\xA9", "\xC3\xAA"},                   // whole sequences, not bytes: é before ê
      {"\xC3\x89mile2", "\xC3\xA9mile10"},        // É and é alike
      {"\xCE\xA9" "1", "\xCF\x89" "2"},           // Ω and ω alike
      {"\xD0\xB0", "\xD0\x91"},                   // Cyrillic а before Б
      {"\xE4\xB8\xAD", "\xF0\x9F\x98\x80"},       // 3-byte before 4-byte: code point order
      {"x\xFF", "x\xC3\xBF\xC3"},                 // broken UTF-8 still compares
  };
  for (const auto& [a, b] : before) {
    SCOPED_TRACE(a + " | " + b);
    EXPECT_LT(CompareNatural(a, b), 0);
    EXPECT_GT(CompareNatural(b, a), 0);
    EXPECT_EQ(CompareNatural(a, a), 0);
  }

  // A total order over every text above and then some: sorting agrees with
  // every pair, so the sort cannot go wrong on a list of such names.
  std::vector<std::string> all;
  for (const auto& [a, b] : before) {
    all.push_back(a);
    all.push_back(b);
  }
  for (const char* s : {"", "0", "00", "1", "01", "x0y", "x00y", "x0", "\\", "a\\b", "a b", "A1b2", "a01b3", "\xC3"})
    all.push_back(s);
  std::sort(all.begin(), all.end(),
            [](const std::string& a, const std::string& b) { return CompareNatural(a, b) < 0; });
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = i + 1; j < all.size(); ++j) {
      ASSERT_LE(CompareNatural(all[i], all[j]), 0) << all[i] << " | " << all[j];
      ASSERT_EQ(Sign(CompareNatural(all[i], all[j])), -Sign(CompareNatural(all[j], all[i])));
    }
  }
}

TEST(ListOrderTest, NameOrdersByFileNameAndLocationByFullPath) {
  const std::vector<ListEntry> entries = {
      {"D:\\b\\", "img10", ".bmp"}, {"C:\\z\\", "Img2", ".JPG"}, {"C:\\a\\", "img10", ".bmp"},
      {"C:\\a\\", "img10", ".bmp"}, {"C:\\a 2\\", "img1", ".gif"},
  };
  // By name: img1, Img2, then the three img10 by location (the two equal ones in list order).
  EXPECT_EQ(SortedOrder(entries, ListOrder::Name), (std::vector<int>{4, 1, 2, 3, 0}));
  EXPECT_EQ(SortedOrder(entries, ListOrder::Location), (std::vector<int>{2, 3, 4, 1, 0}));
  EXPECT_TRUE(SortedOrder({}, ListOrder::Name).empty());
}

}  // namespace
}  // namespace vd
