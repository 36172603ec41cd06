#include "engine/grey_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace vd {
namespace {

// The filter's rule, written out once for the tests.
int ExpectedLevel(int b, int g, int r) {
  const int level = (b + g + r) / 3;
  return level < 245 ? level + 10 : level;
}

void Apply(bool vector, ImageView v) {
  if (vector) {
    FilterBlackAndWhite(v);
  } else {
    FilterBlackAndWhiteScalar(v);
  }
}

TEST(GreyFilterTest, ExamplesFromTheRule) {
  struct Case {
    std::array<int, 3> in;
    int out;
  };
  const Case cases[] = {
      {{0, 0, 0}, 10},        {{255, 255, 255}, 255}, {{10, 20, 30}, 30},   {{244, 244, 245}, 254},
      {{245, 245, 245}, 245}, {{244, 244, 244}, 254}, {{1, 1, 0}, 10},      {{0, 0, 255}, 95},
  };
  for (bool vector : {true, false}) {
    // Pad the row to 16 pixels so the vector path handles the examples.
    Image img(16, 1);
    for (int i = 0; i < 16; ++i) {
      const Case& c = cases[i % 8];
      for (int ch = 0; ch < 3; ++ch) img.View().Pixel(i, 0)[ch] = static_cast<std::uint8_t>(c.in[static_cast<std::size_t>(ch)]);
      img.View().Pixel(i, 0)[3] = static_cast<std::uint8_t>(i * 16);
    }
    Apply(vector, img.View());
    for (int i = 0; i < 16; ++i) {
      const Case& c = cases[i % 8];
      const std::uint8_t* p = img.View().Pixel(i, 0);
      EXPECT_EQ(p[0], c.out) << (vector ? "vector" : "scalar") << " pixel " << i;
      EXPECT_EQ(p[1], c.out) << (vector ? "vector" : "scalar") << " pixel " << i;
      EXPECT_EQ(p[2], c.out) << (vector ? "vector" : "scalar") << " pixel " << i;
      EXPECT_EQ(p[3], i * 16) << "4th byte of pixel " << i;
    }
  }
}

TEST(GreyFilterTest, EverySumOfChannelsFollowsTheRuleOnBothPaths) {
  // For each sum 0..765, several ways to split it over B, G and R, laid out
  // in rows of an odd width so vector bodies and scalar tails both see them.
  std::vector<std::array<int, 4>> pixels;
  for (int s = 0; s <= 765; ++s) {
    const std::array<int, 3> splits[] = {
        {s / 3, (s + 1) / 3, (s + 2) / 3},
        {std::min(s, 255), std::min(std::max(s - 255, 0), 255), std::max(s - 510, 0)},
        {std::max(s - 510, 0), std::min(s, 255), std::min(std::max(s - 255, 0), 255)},
    };
    for (const auto& split : splits) pixels.push_back({split[0], split[1], split[2], s % 256});
  }
  const int width = 37;
  const int height = static_cast<int>((pixels.size() + width - 1) / width);
  Image vectorImage(width, height);
  Image scalarImage(width, height);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const int x = static_cast<int>(i % width);
    const int y = static_cast<int>(i / width);
    for (int ch = 0; ch < 4; ++ch) {
      vectorImage.View().Pixel(x, y)[ch] = static_cast<std::uint8_t>(pixels[i][static_cast<std::size_t>(ch)]);
      scalarImage.View().Pixel(x, y)[ch] = static_cast<std::uint8_t>(pixels[i][static_cast<std::size_t>(ch)]);
    }
  }
  FilterBlackAndWhite(vectorImage.View());
  FilterBlackAndWhiteScalar(scalarImage.View());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const auto& in = pixels[i];
    const int want = ExpectedLevel(in[0], in[1], in[2]);
    const int x = static_cast<int>(i % width);
    const int y = static_cast<int>(i / width);
    for (const Image* img : {&vectorImage, &scalarImage}) {
      const std::uint8_t* p = img->View().Pixel(x, y);
      ASSERT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}), (std::array<int, 4>{want, want, want, in[3]}))
          << (img == &vectorImage ? "vector" : "scalar") << " path, input " << in[0] << "," << in[1] << ","
          << in[2] << " (sum " << in[0] + in[1] + in[2] << ")";
    }
  }
}

TEST(GreyFilterTest, OddWidthsAndPaddedStridesLeaveGuardBytesAlone) {
  constexpr std::uint8_t kGuard = 0xC3;
  std::mt19937 rng(12345);
  for (int width = 1; width <= 41; ++width) {
    for (int pad : {0, 4, 7, 13}) {
      const int height = 3;
      const std::ptrdiff_t stride = 4 * width + pad;
      // Guard bytes after the last row too.
      std::vector<std::uint8_t> original(static_cast<std::size_t>(stride) * height + 16, kGuard);
      for (int y = 0; y < height; ++y) {
        for (int i = 0; i < 4 * width; ++i) original[static_cast<std::size_t>(stride * y + i)] = static_cast<std::uint8_t>(rng());
      }
      auto vectorBytes = original;
      auto scalarBytes = original;
      FilterBlackAndWhite(ImageView{vectorBytes.data(), width, height, stride});
      FilterBlackAndWhiteScalar(ImageView{scalarBytes.data(), width, height, stride});
      ASSERT_EQ(vectorBytes, scalarBytes) << "width " << width << " pad " << pad;
      for (std::size_t i = 0; i < original.size(); ++i) {
        const auto y = static_cast<std::ptrdiff_t>(i) / stride;
        const auto col = static_cast<std::ptrdiff_t>(i) % stride;
        if (y >= height || col >= 4 * width) {
          ASSERT_EQ(vectorBytes[i], kGuard) << "guard byte " << i << " width " << width << " pad " << pad;
        } else if (col % 4 == 3) {
          ASSERT_EQ(vectorBytes[i], original[i]) << "4th byte at " << i;
        } else {
          const std::uint8_t* px = &original[i - col % 4];
          ASSERT_EQ(vectorBytes[i], ExpectedLevel(px[0], px[1], px[2])) << "byte " << i;
        }
      }
    }
  }
}

TEST(GreyFilterTest, EmptyImageIsLeftAlone) {
  std::uint8_t byte = 7;
  FilterBlackAndWhite(ImageView{&byte, 0, 1, 4});
  FilterBlackAndWhite(ImageView{&byte, 1, 0, 4});
  FilterBlackAndWhite(ImageView{});
  EXPECT_EQ(byte, 7);
}

TEST(GreyFilterTest, ReportsWhichPathRuns) {
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(VD_NO_SIMD)
  EXPECT_TRUE(FilterBlackAndWhiteIsVectorised());
#else
  EXPECT_FALSE(FilterBlackAndWhiteIsVectorised());
#endif
}

}  // namespace
}  // namespace vd
