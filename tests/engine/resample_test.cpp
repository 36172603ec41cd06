#include "engine/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace vd {
namespace {

using Bgra = std::array<int, 4>;

Image MakeImage(int w, int h, const std::function<Bgra(int, int)>& colour) {
  Image img(w, h);
  ImageView v = img.View();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Bgra c = colour(x, y);
      for (int i = 0; i < 4; ++i) v.Pixel(x, y)[i] = static_cast<std::uint8_t>(c[i]);
    }
  }
  return img;
}

Image RandomImage(int w, int h, unsigned salt) {
  std::mt19937 rng(salt);
  return MakeImage(w, h, [&](int, int) {
    return Bgra{static_cast<int>(rng() % 256), static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                static_cast<int>(rng() % 256)};
  });
}

Bgra At(ConstImageView v, int x, int y) {
  const std::uint8_t* p = v.Pixel(x, y);
  return {p[0], p[1], p[2], p[3]};
}

Image Resampled(ConstImageView src, int w, int h) {
  Image dst(w, h);
  ResampleInto(src, dst.View());
  return dst;
}

// An independent model in floating point: per axis, area coverage when the
// axis shrinks, interpolation between pixel centres when it grows.
std::vector<std::vector<double>> ModelWeights(int src, int dst) {
  std::vector<std::vector<double>> w(static_cast<std::size_t>(dst), std::vector<double>(static_cast<std::size_t>(src)));
  const double scale = static_cast<double>(src) / dst;
  for (int i = 0; i < dst; ++i) {
    auto& row = w[static_cast<std::size_t>(i)];
    if (dst < src) {
      const double lo = i * scale;
      const double hi = (i + 1) * scale;
      for (int j = 0; j < src; ++j) row[static_cast<std::size_t>(j)] = std::max(0.0, std::min(hi, j + 1.0) - std::max(lo, 1.0 * j)) / scale;
    } else {
      const double pos = std::clamp((i + 0.5) * scale - 0.5, 0.0, src - 1.0);
      const int left = std::min(static_cast<int>(pos), src - 1);
      const double f = pos - left;
      row[static_cast<std::size_t>(left)] += 1 - f;
      if (f > 0) row[static_cast<std::size_t>(left + 1)] += f;
    }
  }
  return w;
}

std::array<double, 3> ModelPixel(ConstImageView src, const std::vector<std::vector<double>>& wx,
                                 const std::vector<std::vector<double>>& wy, int x, int y) {
  std::array<double, 3> sum{};
  for (int sy = 0; sy < src.height; ++sy) {
    const double ky = wy[static_cast<std::size_t>(y)][static_cast<std::size_t>(sy)];
    if (ky == 0) continue;
    for (int sx = 0; sx < src.width; ++sx) {
      const double k = ky * wx[static_cast<std::size_t>(x)][static_cast<std::size_t>(sx)];
      if (k == 0) continue;
      for (int c = 0; c < 3; ++c) sum[static_cast<std::size_t>(c)] += k * src.Pixel(sx, sy)[c];
    }
  }
  return sum;
}

// Every channel within 1 of the model, the 4th byte 255.
void ExpectMatchesModel(ConstImageView src, ConstImageView got) {
  const auto wx = ModelWeights(src.width, got.width);
  const auto wy = ModelWeights(src.height, got.height);
  int bad = 0;
  for (int y = 0; y < got.height; ++y) {
    for (int x = 0; x < got.width; ++x) {
      const auto want = ModelPixel(src, wx, wy, x, y);
      const Bgra have = At(got, x, y);
      for (int c = 0; c < 3; ++c) {
        if (std::abs(have[static_cast<std::size_t>(c)] - want[static_cast<std::size_t>(c)]) > 1.0 && bad++ < 5) {
          ADD_FAILURE() << src.width << "x" << src.height << " -> " << got.width << "x" << got.height << " at (" << x
                        << "," << y << ") channel " << c << ": " << have[static_cast<std::size_t>(c)] << " vs model "
                        << want[static_cast<std::size_t>(c)];
        }
      }
      if (have[3] != 255 && bad++ < 5) ADD_FAILURE() << "4th byte " << have[3] << " at (" << x << "," << y << ")";
    }
  }
}

struct Sizes {
  int sw, sh, dw, dh;
};

// Shrink, grow, mixed and one-pixel sizes on both axes; the mixed ones make
// the scaler pick either pass order.
const Sizes kSizeTable[] = {
    {1, 1, 1, 1},   {1, 1, 7, 5},   {7, 5, 1, 1},   {1, 9, 4, 2},   {9, 1, 2, 4},     {2, 2, 3, 3},
    {13, 7, 5, 3},  {5, 3, 13, 7},  {10, 10, 3, 17}, {3, 17, 10, 10}, {100, 10, 10, 100}, {10, 100, 100, 10},
    {16, 16, 16, 9}, {16, 16, 9, 16}, {64, 48, 63, 47}, {63, 47, 64, 48}, {640, 4, 7, 3},   {3, 2, 17, 1},
};

TEST(ResampleTest, ConstantPictureStaysConstantAtEverySize) {
  for (const Sizes& s : kSizeTable) {
    const Image src = MakeImage(s.sw, s.sh, [](int, int) { return Bgra{17, 128, 254, 3}; });
    const Image dst = Resampled(src.View(), s.dw, s.dh);
    for (int y = 0; y < s.dh; ++y) {
      for (int x = 0; x < s.dw; ++x) {
        ASSERT_EQ(At(dst.View(), x, y), (Bgra{17, 128, 254, 255}))
            << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh << " at " << x << "," << y;
      }
    }
  }
}

TEST(ResampleTest, MatchesAreaAndBilinearModelWithinOne) {
  unsigned salt = 1;
  for (const Sizes& s : kSizeTable) {
    SCOPED_TRACE(testing::Message() << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh);
    const Image src = RandomImage(s.sw, s.sh, salt++);
    ExpectMatchesModel(src.View(), Resampled(src.View(), s.dw, s.dh).View());
  }
}

TEST(ResampleTest, HalvingAveragesEachTwoByTwoBlockExactly) {
  const Image src = RandomImage(18, 10, 7);
  const Image dst = Resampled(src.View(), 9, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 9; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int sum = src.View().Pixel(2 * x, 2 * y)[c] + src.View().Pixel(2 * x + 1, 2 * y)[c] +
                        src.View().Pixel(2 * x, 2 * y + 1)[c] + src.View().Pixel(2 * x + 1, 2 * y + 1)[c];
        ASSERT_EQ(dst.View().Pixel(x, y)[c], (sum + 2) / 4) << x << "," << y << " channel " << c;
      }
    }
  }
}

TEST(ResampleTest, ShrinkingAveragesInsteadOfPickingPixels) {
  // A one-pixel checkerboard shrunk by a non-integer factor is an even grey,
  // not a pattern of black and white samples.
  const Image src = MakeImage(301, 199, [](int x, int y) {
    const int v = (x + y) % 2 ? 255 : 0;
    return Bgra{v, v, v, 255};
  });
  const Image dst = Resampled(src.View(), 97, 61);
  for (int y = 0; y < dst.Height(); ++y) {
    for (int x = 0; x < dst.Width(); ++x) {
      ASSERT_NEAR(dst.View().Pixel(x, y)[1], 127.5, 25) << x << "," << y;
    }
  }
}

TEST(ResampleTest, GrowingKeepsCornersAndIsMonotonicOnGradients) {
  const Image src = MakeImage(10, 6, [](int x, int y) { return Bgra{x * 25, y * 50, 250 - x * 25, 255}; });
  const Image dst = Resampled(src.View(), 37, 23);
  const ConstImageView s = src.View();
  const ConstImageView d = dst.View();
  EXPECT_EQ(At(d, 0, 0), At(s, 0, 0));
  EXPECT_EQ(At(d, 36, 0), At(s, 9, 0));
  EXPECT_EQ(At(d, 0, 22), At(s, 0, 5));
  EXPECT_EQ(At(d, 36, 22), At(s, 9, 5));
  for (int y = 0; y < 23; ++y) {
    for (int x = 1; x < 37; ++x) {
      ASSERT_GE(d.Pixel(x, y)[0], d.Pixel(x - 1, y)[0]) << x << "," << y;  // blue rises to the right
      ASSERT_LE(d.Pixel(x, y)[2], d.Pixel(x - 1, y)[2]) << x << "," << y;  // red falls to the right
    }
  }
  for (int x = 0; x < 37; ++x) {
    for (int y = 1; y < 23; ++y) ASSERT_GE(d.Pixel(x, y)[1], d.Pixel(x, y - 1)[1]) << x << "," << y;
  }
}

TEST(ResampleTest, ShrinkingOneAxisWhileGrowingTheOther) {
  // Colour depends on y only: shrinking x keeps each row's value exactly,
  // growing y interpolates between rows.
  const Image src = MakeImage(12, 3, [](int, int y) { return Bgra{y * 100, 0, 0, 255}; });
  const Image dst = Resampled(src.View(), 4, 9);
  const int expected[9] = {0, 0, 33, 67, 100, 133, 167, 200, 200};
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.View().Pixel(x, y)[0], expected[y]) << x << "," << y;
  }
  // And the transposed case.
  const Image src2 = MakeImage(3, 12, [](int x, int) { return Bgra{0, x * 100, 0, 255}; });
  const Image dst2 = Resampled(src2.View(), 9, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 9; ++x) EXPECT_EQ(dst2.View().Pixel(x, y)[1], expected[x]) << x << "," << y;
  }
}

TEST(ResampleTest, OnePixelSourcesAndDestinations) {
  const Image dot = MakeImage(1, 1, [](int, int) { return Bgra{1, 2, 3, 0}; });
  const Image big = Resampled(dot.View(), 5, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(big.View(), x, y), (Bgra{1, 2, 3, 255}));
  }
  // The whole picture averaged into one pixel.
  const Image four = MakeImage(2, 2, [](int x, int y) { return Bgra{x * 100 + y * 40, 0, 255, 0}; });
  EXPECT_EQ(At(Resampled(four.View(), 1, 1).View(), 0, 0), (Bgra{70, 0, 255, 255}));
  // A single row and a single column, both ways.
  const Image row = MakeImage(8, 1, [](int x, int) { return Bgra{x * 30, 0, 0, 255}; });
  const Image rowHalf = Resampled(row.View(), 4, 1);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(rowHalf.View().Pixel(x, 0)[0], 60 * x + 15);
  const Image column = Resampled(row.View(), 1, 3);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(column.View().Pixel(0, y)[0], 105);
}

TEST(ResampleTest, WritesOnlyInsideTheDestinationRows) {
  const Image src = RandomImage(31, 17, 3);
  for (const Sizes& s : {Sizes{31, 17, 13, 9}, Sizes{31, 17, 45, 30}, Sizes{31, 17, 31, 17}, Sizes{31, 17, 31, 5},
                         Sizes{31, 17, 7, 17}, Sizes{31, 17, 50, 4}}) {
    const int pad = 12;
    const std::ptrdiff_t stride = 4 * s.dw + pad;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stride) * s.dh, 0xA5);
    ImageView dst{buffer.data(), s.dw, s.dh, stride};
    ResampleInto(src.View(), dst);
    for (int y = 0; y < s.dh; ++y) {
      for (int i = 0; i < pad; ++i) ASSERT_EQ(dst.Row(y)[4 * s.dw + i], 0xA5) << s.dw << "x" << s.dh << " row " << y;
    }
    const Image packed = Resampled(src.View(), s.dw, s.dh);
    for (int y = 0; y < s.dh; ++y) {
      for (int x = 0; x < s.dw; ++x) ASSERT_EQ(At(dst, x, y), At(packed.View(), x, y));
    }
  }
}

TEST(ResampleTest, EmptySourceGivesOpaqueBlack) {
  Image dst = RandomImage(3, 2, 9);
  ResampleInto(ConstImageView{}, dst.View());
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(dst.View(), x, y), (Bgra{0, 0, 0, 255}));
  }
}

TEST(AreaDownscalerTest, StripsGiveTheSameResultAsTheWholePicture) {
  const Sizes cases[] = {{97, 61, 23, 17}, {640, 480, 300, 200}, {300, 200, 299, 199}, {50, 400, 7, 9},
                         {400, 50, 9, 7},  {33, 1, 4, 1},        {1, 33, 1, 4},        {5, 5, 5, 5}};
  for (const Sizes& s : cases) {
    SCOPED_TRACE(testing::Message() << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh);
    const Image src = RandomImage(s.sw, s.sh, static_cast<unsigned>(s.sw * 7 + s.sh));
    const Image whole = Resampled(src.View(), s.dw, s.dh);
    AreaDownscaler scaler(s.sw, s.sh, s.dw, s.dh);
    int row = 0;
    int strip = 1;
    while (row < s.sh) {
      EXPECT_FALSE(scaler.Done());
      const int n = std::min(strip, s.sh - row);
      scaler.PushRows(ConstImageView{src.View().Row(row), s.sw, n, src.View().stride});
      row += n;
      strip = strip % 7 + 2;  // 1, 3, 5, 7, 2, 4, 6, 8, 3, ...
    }
    EXPECT_TRUE(scaler.Done());
    const Image got = scaler.Take();
    ASSERT_EQ(got.Width(), s.dw);
    ASSERT_EQ(got.Height(), s.dh);
    for (int y = 0; y < s.dh; ++y) {
      for (int x = 0; x < s.dw; ++x) {
        for (int c = 0; c < 3; ++c) {
          ASSERT_NEAR(got.View().Pixel(x, y)[c], whole.View().Pixel(x, y)[c], 1) << x << "," << y << " ch " << c;
        }
        ASSERT_EQ(got.View().Pixel(x, y)[3], 255);
      }
    }
  }
}

TEST(AreaDownscalerTest, TruncatedInputStillGivesAWholeImage) {
  const Image src = MakeImage(40, 40, [](int, int) { return Bgra{200, 200, 200, 255}; });
  AreaDownscaler scaler(40, 40, 10, 10);
  scaler.PushRows(ConstImageView{src.View().data, 40, 20, src.View().stride});
  EXPECT_FALSE(scaler.Done());
  const Image got = scaler.Take();
  ASSERT_EQ(got.Width(), 10);
  ASSERT_EQ(got.Height(), 10);
  EXPECT_EQ(At(got.View(), 5, 0), (Bgra{200, 200, 200, 255}));  // from the rows that came
  EXPECT_EQ(At(got.View(), 5, 9), (Bgra{0, 0, 0, 255}));        // rows that never came
}

TEST(AreaDownscalerTest, IgnoresBadInput) {
  AreaDownscaler none(0, 10, 5, 5);
  EXPECT_TRUE(none.Done());
  EXPECT_TRUE(none.Take().Empty());

  const Image narrow = RandomImage(5, 4, 1);
  const Image src = RandomImage(8, 4, 2);
  AreaDownscaler scaler(8, 4, 4, 2);
  scaler.PushRows(narrow.View());  // narrower than the source: ignored
  EXPECT_FALSE(scaler.Done());
  scaler.PushRows(src.View());
  scaler.PushRows(src.View());  // beyond the source's height: ignored
  EXPECT_TRUE(scaler.Done());
  const Image got = scaler.Take();
  const Image whole = Resampled(src.View(), 4, 2);
  for (int x = 0; x < 4; ++x) EXPECT_NEAR(got.View().Pixel(x, 1)[0], whole.View().Pixel(x, 1)[0], 1);
}

TEST(FitWithinTest, KeepsAspectNeverUpscalesNeverZero) {
  struct Case {
    int w, h, maxW, maxH, outW, outH;
  };
  const Case cases[] = {
      {6000, 4000, 3840, 2160, 3240, 2160},  // height limits
      {4000, 1000, 3840, 2160, 3840, 960},   // width limits
      {3840, 2160, 3840, 2160, 3840, 2160},  // exact fit
      {300, 200, 3840, 2160, 300, 200},      // smaller: kept, not enlarged
      {20000, 1, 1024, 768, 1024, 1},        // a thin line keeps one pixel
      {1, 20000, 1024, 768, 1, 768},
      {999, 1000, 100, 100, 100, 100},       // rounds to the nearest
      {0, 0, 100, 100, 1, 1},
  };
  for (const Case& c : cases) {
    int w = -1;
    int h = -1;
    FitWithin(c.w, c.h, c.maxW, c.maxH, w, h);
    EXPECT_EQ(w, c.outW) << c.w << "x" << c.h << " in " << c.maxW << "x" << c.maxH;
    EXPECT_EQ(h, c.outH) << c.w << "x" << c.h << " in " << c.maxW << "x" << c.maxH;
  }
}

}  // namespace
}  // namespace vd
