#include "engine/compose.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "engine/resample.h"
#include "pixel_test_support.h"

namespace vd {
namespace {

using test::Bgra;
const Bgra kBlack = {0, 0, 0, 255};

// A picture whose every pixel tells where it came from (4th byte 0, so the
// test also sees that copies are made opaque).
Image CodedPicture(int w, int h) { return test::CodedImage(w, h, 200, 0); }

Bgra Coded(int x, int y) { return {x, y, 200, 255}; }

struct Canvas : test::PaddedCanvas {
  Canvas(int w, int h) : PaddedCanvas(w, h, 8, 0x5A) {}
};

TEST(ComposeTest, CenteredPlacesPictureAtTruncatedHalfDifference) {
  struct Case {
    int cw, ch, pw, ph, left, top;
  };
  const Case cases[] = {
      {10, 8, 4, 2, 3, 3},   // even differences
      {9, 7, 4, 2, 2, 2},    // odd differences: 5 / 2 = 2
      {4, 4, 7, 9, -1, -2},  // larger picture: -3 / 2 = -1, -5 / 2 = -2 (toward zero)
      {5, 5, 5, 5, 0, 0},
      {3, 1, 1, 6, 1, -2},   // larger in one direction only
      {6, 6, 1, 1, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "canvas " << c.cw << "x" << c.ch << " picture " << c.pw << "x" << c.ph);
    Canvas canvas(c.cw, c.ch);
    const Image picture = CodedPicture(c.pw, c.ph);
    ComposeWallpaper(canvas.View(), picture.View(), 0);
    for (int y = 0; y < c.ch; ++y) {
      for (int x = 0; x < c.cw; ++x) {
        const int px = x - c.left;
        const int py = y - c.top;
        const bool inside = px >= 0 && px < c.pw && py >= 0 && py < c.ph;
        ASSERT_EQ(canvas.At(x, y), inside ? Coded(px, py) : kBlack) << x << "," << y;
      }
    }
    canvas.ExpectPaddingUntouched();
  }
}

TEST(ComposeTest, TiledRepeatsFromTopLeftAndClipsLastRowAndColumn) {
  struct Case {
    int cw, ch, pw, ph;
  };
  const Case cases[] = {{10, 7, 3, 2}, {9, 4, 3, 2}, {5, 3, 7, 9}, {37, 11, 1, 1}, {8, 8, 8, 3}, {13, 13, 4, 13}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "canvas " << c.cw << "x" << c.ch << " picture " << c.pw << "x" << c.ph);
    Canvas canvas(c.cw, c.ch);
    const Image picture = CodedPicture(c.pw, c.ph);
    ComposeWallpaper(canvas.View(), picture.View(), 1);
    for (int y = 0; y < c.ch; ++y) {
      for (int x = 0; x < c.cw; ++x) ASSERT_EQ(canvas.At(x, y), Coded(x % c.pw, y % c.ph)) << x << "," << y;
    }
    canvas.ExpectPaddingUntouched();
  }
}

TEST(ComposeTest, StretchedScalesOverEveryPixel) {
  for (auto [pw, ph] : {std::array{3, 2}, std::array{40, 30}, std::array{1, 1}, std::array{100, 3}}) {
    SCOPED_TRACE(testing::Message() << "picture " << pw << "x" << ph);
    Canvas canvas(17, 9);
    const Image picture = CodedPicture(pw, ph);
    ComposeWallpaper(canvas.View(), picture.View(), 2);
    Image expected(17, 9);
    ResampleInto(picture.View(), expected.View());
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 17; ++x) {
        const std::uint8_t* e = expected.View().Pixel(x, y);
        ASSERT_EQ(canvas.At(x, y), (Bgra{e[0], e[1], e[2], 255})) << x << "," << y;
        ASSERT_EQ(canvas.At(x, y)[2], 200) << x << "," << y;  // every pixel comes from the picture
      }
    }
    canvas.ExpectPaddingUntouched();
  }
}

TEST(ComposeTest, UnknownStyleOrEmptyPictureLeavesCanvasBlack) {
  const Image picture = CodedPicture(3, 3);
  for (int style : {-1, 3, 4, 1000}) {
    Canvas canvas(6, 5);
    ComposeWallpaper(canvas.View(), picture.View(), style);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) ASSERT_EQ(canvas.At(x, y), kBlack) << "style " << style << " at " << x << "," << y;
    }
    canvas.ExpectPaddingUntouched();
  }
  for (int style : {0, 1, 2}) {
    Canvas canvas(6, 5);
    ComposeWallpaper(canvas.View(), ConstImageView{}, style);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) ASSERT_EQ(canvas.At(x, y), kBlack) << "style " << style << " at " << x << "," << y;
    }
  }
}

TEST(ComposeTest, PictureWithPaddedRowsIsReadByItsStride) {
  // The picture is a view into a larger image: its stride is wider than it.
  const Image big = CodedPicture(10, 6);
  const ConstImageView part{big.View().Pixel(2, 1), 4, 3, big.View().stride};
  for (int style : {0, 1}) {
    Canvas canvas(8, 6);
    ComposeWallpaper(canvas.View(), part, style);
    if (style == 0) {
      EXPECT_EQ(canvas.At(2, 1), Coded(2, 1));  // picture (0,0) at (2,1)
      EXPECT_EQ(canvas.At(5, 3), Coded(5, 3));
    } else {
      EXPECT_EQ(canvas.At(4, 3), Coded(2, 1));  // tile (0,0) again at (4,3)
      EXPECT_EQ(canvas.At(7, 5), Coded(5, 3));
    }
  }
}

TEST(ComposeTest, PartNeededByCenteredAndTiledComposesLikeTheWholePicture) {
  // Every mix of smaller, equal and larger in each direction, odd and even differences.
  const int sizes[] = {3, 6, 7, 8, 11, 20};
  for (int style : {0, 1}) {
    for (int pw : sizes) {
      for (int ph : sizes) {
        SCOPED_TRACE(testing::Message() << "style " << style << " picture " << pw << "x" << ph);
        const Image picture = CodedPicture(pw, ph);
        Canvas whole(7, 6);
        ComposeWallpaper(whole.View(), picture.View(), style);
        const PicturePart part = PartNeeded(style, pw, ph, 7, 6);
        ASSERT_EQ(part.maxWidth, 0);
        ASSERT_LE(part.width, 7);
        ASSERT_LE(part.height, 6);
        ASSERT_GE(part.x, 0);
        ASSERT_GE(part.y, 0);
        ASSERT_LE(part.x + part.width, pw);
        ASSERT_LE(part.y + part.height, ph);
        const ConstImageView decoded{picture.View().Pixel(part.x, part.y), part.width, part.height,
                                     picture.View().stride};
        Canvas fromPart(7, 6);
        ComposeWallpaper(fromPart.View(), decoded, style);
        for (int y = 0; y < 6; ++y) {
          for (int x = 0; x < 7; ++x) ASSERT_EQ(fromPart.At(x, y), whole.At(x, y)) << x << "," << y;
        }
      }
    }
  }
}

TEST(ComposeTest, StretchedAndUnknownStylesNeedTheWholePictureBoundedByTwiceTheScreen) {
  for (int style : {2, -1, 7}) {
    const PicturePart part = PartNeeded(style, 6000, 4000, 1024, 768);
    EXPECT_EQ(part.x, 0);
    EXPECT_EQ(part.y, 0);
    EXPECT_EQ(part.width, 6000);
    EXPECT_EQ(part.height, 4000);
    EXPECT_EQ(part.maxWidth, 2048);
    EXPECT_EQ(part.maxHeight, 1536);
  }
}

}  // namespace
}  // namespace vd
