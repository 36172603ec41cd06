#include "engine/bitmap_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vd {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& f, std::size_t at) {
  return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24;
}
std::uint32_t U16(const std::vector<std::uint8_t>& f, std::size_t at) { return f[at] | f[at + 1] << 8; }

Image Numbered(int w, int h) {
  Image img(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = img.View().Pixel(x, y);
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = static_cast<std::uint8_t>(x * 7 + y * 13);
      p[3] = 255;
    }
  }
  return img;
}

TEST(BitmapFileTest, HeadersDescribeA32BitBottomUpBitmapAt96Dpi) {
  for (auto [w, h] : {std::pair{3, 2}, std::pair{1, 1}, std::pair{1024, 768}, std::pair{5, 7}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    const Image img(w, h);
    const auto f = EncodeBmp(img.View());
    const std::uint32_t pixelBytes = 4u * w * h;
    ASSERT_EQ(f.size(), 54u + pixelBytes);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(U32(f, 2), f.size());  // bfSize
    EXPECT_EQ(U32(f, 6), 0u);        // reserved
    EXPECT_EQ(U32(f, 10), 54u);      // bfOffBits
    EXPECT_EQ(U32(f, 14), 40u);      // biSize
    EXPECT_EQ(static_cast<std::int32_t>(U32(f, 18)), w);
    EXPECT_EQ(static_cast<std::int32_t>(U32(f, 22)), h);  // positive: bottom-up
    EXPECT_EQ(U16(f, 26), 1u);                            // planes
    EXPECT_EQ(U16(f, 28), 32u);                           // bits per pixel
    EXPECT_EQ(U32(f, 30), 0u);                            // BI_RGB
    EXPECT_EQ(U32(f, 34), pixelBytes);                    // biSizeImage
    EXPECT_EQ(U32(f, 38), 3780u);                         // 96 DPI
    EXPECT_EQ(U32(f, 42), 3780u);
    EXPECT_EQ(U32(f, 46), 0u);  // colours used
    EXPECT_EQ(U32(f, 50), 0u);  // colours important
  }
}

TEST(BitmapFileTest, RowsAreStoredBottomUpAndRoundTrip) {
  const Image img = Numbered(5, 4);
  const auto f = EncodeBmp(img.View());
  ASSERT_EQ(f.size(), 54u + 5 * 4 * 4);
  // The first stored row is the picture's last.
  EXPECT_EQ(f[54 + 1], 3);
  EXPECT_EQ(f[54 + 3 * 20 + 1], 0);
  for (int fileRow = 0; fileRow < 4; ++fileRow) {
    const int y = 3 - fileRow;
    for (int x = 0; x < 5; ++x) {
      for (int c = 0; c < 4; ++c) {
        ASSERT_EQ(f[54 + static_cast<std::size_t>(fileRow) * 20 + 4 * x + c], img.View().Pixel(x, y)[c])
            << x << "," << y << " channel " << c;
      }
    }
  }
}

TEST(BitmapFileTest, HeaderAndRowsFlippedInPlaceMakeTheSameFile) {
  vd::Image img(3, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 3; ++x) *img.View().Pixel(x, y) = static_cast<std::uint8_t>(10 * y + x);
  const std::vector<std::uint8_t> whole = vd::EncodeBmp(img.View());
  std::vector<std::uint8_t> pieces = vd::BmpHeader(3, 5);
  vd::FlipRows(img.View());
  pieces.insert(pieces.end(), img.View().data, img.View().data + img.SizeBytes());
  EXPECT_EQ(pieces, whole);
  EXPECT_TRUE(vd::BmpHeader(0, 5).empty());
  EXPECT_TRUE(vd::BmpHeader(65536, 65536).empty()) << "past the format's 4 GiB";
}

TEST(BitmapFileTest, ReadsViewsWithPaddedRows) {
  const Image big = Numbered(9, 6);
  const ConstImageView part{big.View().Pixel(2, 1), 3, 2, big.View().stride};
  const auto f = EncodeBmp(part);
  ASSERT_EQ(f.size(), 54u + 3 * 2 * 4);
  // Bottom row of the view is picture row 2, starting at column 2.
  EXPECT_EQ(f[54 + 0], 2);
  EXPECT_EQ(f[54 + 1], 2);
  EXPECT_EQ(f[54 + 12 + 0], 2);
  EXPECT_EQ(f[54 + 12 + 1], 1);
  EXPECT_EQ(f[54 + 12 + 8], 4);
}

TEST(BitmapFileTest, EmptyImageGivesNoFile) {
  EXPECT_TRUE(EncodeBmp(ConstImageView{}).empty());
  const Image none(0, 5);
  EXPECT_TRUE(EncodeBmp(none.View()).empty());
}

}  // namespace
}  // namespace vd
