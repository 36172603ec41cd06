#include "engine/orientation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vd {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture of letters, one per pixel (in the blue byte).
Image Letters(int w, int h, const std::string& rows) {
  Image img(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = img.View().Pixel(x, y);
      p[0] = static_cast<std::uint8_t>(rows[static_cast<std::size_t>(y * w + x)]);
      p[1] = p[2] = p[3] = 0;
    }
  }
  return img;
}

std::string LettersOf(const Image& img) {
  std::string s;
  for (int y = 0; y < img.Height(); ++y) {
    for (int x = 0; x < img.Width(); ++x) s += static_cast<char>(img.View().Pixel(x, y)[0]);
  }
  return s;
}

TEST(OrientationTest, EachOfTheEightValuesTurnsThePictureUpright) {
  // Stored as   a b c
  //             d e f
  const Image stored = Letters(3, 2, "abcdef");
  struct Case {
    int orientation, w, h;
    const char* upright;
  };
  const Case cases[] = {
      {1, 3, 2, "abcdef"}, {2, 3, 2, "cbafed"}, {3, 3, 2, "fedcba"}, {4, 3, 2, "defabc"},
      {5, 2, 3, "adbecf"}, {6, 2, 3, "daebfc"}, {7, 2, 3, "fcebda"}, {8, 2, 3, "cfbead"},
      {0, 3, 2, "abcdef"}, {9, 3, 2, "abcdef"},  // not an orientation: as stored
  };
  for (const Case& c : cases) {
    const Image upright = Orient(stored.View(), c.orientation);
    EXPECT_EQ(upright.Width(), c.w) << c.orientation;
    EXPECT_EQ(upright.Height(), c.h) << c.orientation;
    EXPECT_EQ(LettersOf(upright), c.upright) << c.orientation;
  }
  // One-pixel-wide and one-pixel-high pictures.
  EXPECT_EQ(LettersOf(Orient(Letters(1, 3, "xyz").View(), 6)), "zyx");
  EXPECT_EQ(LettersOf(Orient(Letters(3, 1, "xyz").View(), 8)), "zyx");
}

TEST(OrientationTest, StoredRectCoversExactlyThePixelsOfTheShownRect) {
  const int sw = 7, sh = 5;
  for (int o = 1; o <= 8; ++o) {
    const int w = SwapsSides(o) ? sh : sw, h = SwapsSides(o) ? sw : sh;
    const Rect shown{1, 2, w - 2, h - 3};
    const Rect r = StoredRect(o, sw, sh, shown);
    int count = 0;
    for (int y = shown.y; y < shown.y + shown.height; ++y) {
      for (int x = shown.x; x < shown.x + shown.width; ++x) {
        int sx, sy;
        StoredPixelOf(o, sw, sh, x, y, sx, sy);
        EXPECT_TRUE(sx >= r.x && sx < r.x + r.width && sy >= r.y && sy < r.y + r.height) << o;
        ++count;
      }
    }
    EXPECT_EQ(r.width * r.height, count) << o;
  }
}

void Put16(Bytes& b, unsigned v, bool big) {
  if (big) b.insert(b.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
  else b.insert(b.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
}
void Put32(Bytes& b, std::uint32_t v, bool big) {
  if (big) { Put16(b, v >> 16, big); Put16(b, v & 0xFFFF, big); }
  else { Put16(b, v & 0xFFFF, big); Put16(b, v >> 16, big); }
}

// A JPEG's head as cameras write it: JFIF APP0, then APP1 "Exif" with IFD0
// holding a few tags around Orientation, then the start of the picture data.
Bytes CameraJpeg(unsigned orientation, bool big, unsigned type = 3, std::uint32_t ifdOffset = 8,
                 unsigned entryCount = 3) {
  Bytes tiff = big ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
  Put16(tiff, 42, big);
  Put32(tiff, ifdOffset, big);
  Put16(tiff, entryCount, big);
  const unsigned tags[3] = {0x010F, 0x0112, 0x0131};  // Make, Orientation, Software
  for (unsigned tag : tags) {
    Put16(tiff, tag, big);
    Put16(tiff, tag == 0x0112 ? type : 2, big);
    Put32(tiff, 1, big);
    if (tag == 0x0112) {
      Put16(tiff, orientation, big);
      Put16(tiff, 0, big);
    } else {
      Put32(tiff, 0, big);
    }
  }
  Put32(tiff, 8, big);  // next IFD: back to IFD0, a loop for a reader that follows it
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  Bytes app1 = {'E', 'x', 'i', 'f', 0, 0};
  app1.insert(app1.end(), tiff.begin(), tiff.end());
  b.insert(b.end(), {0xFF, 0xE1, std::uint8_t((app1.size() + 2) >> 8), std::uint8_t(app1.size() + 2)});
  b.insert(b.end(), app1.begin(), app1.end());
  b.insert(b.end(), {0xFF, 0xDA, 0, 2, 0x12, 0x34});
  return b;
}

int Read(const Bytes& b) {
  MemorySource s(b.data(), b.size());
  return ReadOrientation(s);
}

TEST(OrientationTest, ReaderFindsTheTagInBothByteOrders) {
  for (bool big : {false, true}) {
    for (unsigned o = 1; o <= 8; ++o) EXPECT_EQ(Read(CameraJpeg(o, big)), static_cast<int>(o)) << o << " " << big;
  }
  // An XMP APP1 before the EXIF one is passed over.
  Bytes b = CameraJpeg(6, false);
  const Bytes xmp = {0xFF, 0xE1, 0, 8, 'h', 't', 't', 'p', ':', '/'};
  b.insert(b.begin() + 2, xmp.begin(), xmp.end());
  EXPECT_EQ(Read(b), 6);
}

TEST(OrientationTest, ReaderSurvivesHostileBytesAndAnswersAsStored) {
  for (unsigned bad : {0u, 9u, 65535u}) EXPECT_EQ(Read(CameraJpeg(bad, true)), 1) << bad;
  EXPECT_EQ(Read(CameraJpeg(6, false, 4)), 1) << "not a SHORT";
  EXPECT_EQ(Read(CameraJpeg(6, false, 3, 0xFFFFFFF0u)), 1) << "IFD0 far outside";
  EXPECT_EQ(Read(CameraJpeg(6, false, 3, 60000)), 1) << "IFD0 past the block";
  EXPECT_EQ(Read(CameraJpeg(6, true, 3, 8, 65535)), 6) << "a count that lies, tag found first";
  EXPECT_EQ(Read(CameraJpeg(6, true, 3, 8, 1)), 1) << "the tag beyond the count";
  // Every truncation of a real-shaped head.
  const Bytes whole = CameraJpeg(8, false);
  for (std::size_t n = 0; n < whole.size(); ++n) {
    const int o = Read(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_TRUE(o == 1 || o == 8) << n;
  }
  // Segment lengths that lie: too long, too short, zero.
  Bytes longer = CameraJpeg(6, false);
  longer[22] = 0xFF;  // APP1 claims 65280+ bytes
  EXPECT_EQ(Read(longer), 1);
  Bytes zero = CameraJpeg(6, false);
  zero[4] = zero[5] = 0;
  EXPECT_EQ(Read(zero), 1);
  // Endless fill bytes and endless empty segments end after a bounded search.
  Bytes fill = {0xFF, 0xD8};
  fill.resize(1 << 20, 0xFF);
  EXPECT_EQ(Read(fill), 1);
  Bytes empties = {0xFF, 0xD8};
  for (int i = 0; i < 10000; ++i) empties.insert(empties.end(), {0xFF, 0xE2, 0, 2});
  EXPECT_EQ(Read(empties), 1);
  // An empty APP1 block.
  EXPECT_EQ(Read(Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0, 2, 0xFF, 0xDA, 0, 2}), 1);
  // Not a JPEG at all.
  EXPECT_EQ(Read(Bytes{'B', 'M', 0, 0}), 1);
  EXPECT_EQ(Read(Bytes{}), 1);
}

}  // namespace
}  // namespace vd
