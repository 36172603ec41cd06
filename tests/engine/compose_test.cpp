#include "engine/compose.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/resample.h"
#include "engine/style_rule.h"
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
  for (int style : {-1, 5, 6, 1000}) {
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

TEST(ComposeTest, FillCutsTheOverflowEquallyAndCoversTheCanvas) {
  struct Case {
    int cw, ch, pw, ph, left, top;  // the picture's pixel at canvas (0, 0), at the same scale
  };
  const Case cases[] = {
      {4, 2, 8, 2, 2, 0},  // wider: cut left and right
      {4, 2, 7, 2, 1, 0},  // odd difference: the odd column goes on the right
      {3, 4, 3, 9, 0, 2},  // taller: cut top and bottom
      {3, 3, 3, 3, 0, 0},  // the canvas's own shape
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "canvas " << c.cw << "x" << c.ch << " picture " << c.pw << "x" << c.ph);
    Canvas canvas(c.cw, c.ch);
    const Image picture = CodedPicture(c.pw, c.ph);
    ComposeWallpaper(canvas.View(), picture.View(), kStyleFill);
    for (int y = 0; y < c.ch; ++y) {
      for (int x = 0; x < c.cw; ++x) ASSERT_EQ(canvas.At(x, y), Coded(x + c.left, y + c.top)) << x << "," << y;
    }
    canvas.ExpectPaddingUntouched();
  }
  // Scaled: a 2:1 picture twice the canvas's height keeps its proportions.
  EXPECT_EQ((FillSource(400, 200, 100, 100)), (Rect{100, 0, 200, 200}));
  EXPECT_EQ((FillSource(200, 400, 160, 100)), (Rect{0, 137, 200, 125}));
}

TEST(ComposeTest, FitCentresThePictureOnTheBackgroundColour) {
  struct Case {
    int cw, ch, pw, ph, left, top, w, h;
  };
  const Case cases[] = {
      {4, 6, 4, 2, 0, 2, 4, 2},  // wider: bands above and below
      {7, 4, 2, 4, 2, 0, 2, 4},  // taller, odd difference: the odd column on the right
      {3, 3, 3, 3, 0, 0, 3, 3},
  };
  const Bgra kBackground = {0x10, 0x20, 0x30, 255};  // 0x00102030 is red 0x30, blue 0x10
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "canvas " << c.cw << "x" << c.ch << " picture " << c.pw << "x" << c.ph);
    Canvas canvas(c.cw, c.ch);
    const Image picture = CodedPicture(c.pw, c.ph);
    ComposeWallpaper(canvas.View(), picture.View(), kStyleFit, 0x00102030);
    for (int y = 0; y < c.ch; ++y) {
      for (int x = 0; x < c.cw; ++x) {
        const bool inside = x >= c.left && x < c.left + c.w && y >= c.top && y < c.top + c.h;
        ASSERT_EQ(canvas.At(x, y), inside ? Coded(x - c.left, y - c.top) : kBackground) << x << "," << y;
      }
    }
    canvas.ExpectPaddingUntouched();
  }
  EXPECT_EQ((FitTarget(400, 200, 100, 100)), (Rect{0, 25, 100, 50}));
  EXPECT_EQ((FitTarget(200, 400, 160, 100)), (Rect{55, 0, 50, 100}));
}

TEST(ComposeTest, FillAndFitOfExtremeShapesGiveOnePixelNotNothing) {
  EXPECT_EQ((FitTarget(1, 20000, 1024, 768)), (Rect{511, 0, 1, 768}));
  EXPECT_EQ((FitTarget(20000, 1, 1024, 768)), (Rect{0, 383, 1024, 1}));
  EXPECT_EQ((FillSource(1, 20000, 1024, 768)), (Rect{0, 9999, 1, 1}));
  EXPECT_EQ((FillSource(20000, 1, 1024, 768)), (Rect{9999, 0, 1, 1}));
  EXPECT_EQ((FillSource(0, 5, 10, 10)), (Rect{0, 0, 0, 5}));  // nothing to cut from
  EXPECT_EQ((FitTarget(5, 5, 0, 10)), (Rect{0, 0, 0, 10}));
  // The 1 x 20000 picture in Fill becomes its middle pixel all over the canvas.
  Image tall = CodedPicture(1, 20000);
  Canvas canvas(16, 12);
  ComposeWallpaper(canvas.View(), tall.View(), kStyleFill);
  for (std::array<int, 2> p : {std::array<int, 2>{0, 0}, std::array<int, 2>{15, 11}})
    EXPECT_EQ(canvas.At(p[0], p[1]), Coded(0, 9999 % 256));
}

TEST(ComposeTest, PartNeededByFillIsTheShownPartAndComposesLikeTheWholePicture) {
  const PicturePart part = PartNeeded(kStyleFill, 6000, 4000, 1024, 768);
  EXPECT_EQ((Rect{part.x, part.y, part.width, part.height}), (Rect{333, 0, 5333, 4000}));
  EXPECT_EQ(part.maxWidth, 2048);
  EXPECT_EQ(part.maxHeight, 1536);
  const PicturePart fit = PartNeeded(kStyleFit, 6000, 4000, 1024, 768);
  EXPECT_EQ((Rect{fit.x, fit.y, fit.width, fit.height}), (Rect{0, 0, 6000, 4000}));
  // Composing the part gives the canvas of the whole picture.
  const Image picture = CodedPicture(30, 12);
  const PicturePart p = PartNeeded(kStyleFill, 30, 12, 8, 6);
  Image cut(p.width, p.height);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      std::memcpy(cut.View().Pixel(x, y), picture.View().Pixel(p.x + x, p.y + y), 4);
    }
  }
  Canvas whole(8, 6), fromPart(8, 6);
  ComposeWallpaper(whole.View(), picture.View(), kStyleFill);
  ComposeWallpaper(fromPart.View(), cut.View(), kStyleFill);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) ASSERT_EQ(whole.At(x, y), fromPart.At(x, y)) << x << "," << y;
  }
}

TEST(ComposeTest, BlendOverLaysEachPixelOnTheColourByItsAlpha) {
  // Desktop colour 0x00BBGGRR = R 0x20, G 0x80, B 0xF0.
  const std::uint32_t colour = 0x00F08020;
  Canvas c(4, 2);
  const Bgra given[2][4] = {{{10, 20, 30, 255}, {10, 20, 255, 0}, {0, 0, 255, 102}, {200, 100, 50, 128}},
                            {{0, 0, 0, 0}, {255, 255, 255, 1}, {255, 255, 255, 254}, {0, 0, 0, 0}}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      for (int i = 0; i < 4; ++i) c.View().Pixel(x, y)[i] = static_cast<std::uint8_t>(given[y][x][static_cast<std::size_t>(i)]);
  BlendOver(c.View(), colour);
  // Straight alpha: (pixel * a + colour * (255 - a)) / 255, rounded; every result opaque.
  EXPECT_EQ(c.At(0, 0), (Bgra{10, 20, 30, 255})) << "opaque pixels are kept";
  EXPECT_EQ(c.At(1, 0), (Bgra{0xF0, 0x80, 0x20, 255})) << "a transparent pixel is the colour, whatever lies under it";
  EXPECT_EQ(c.At(2, 0), (Bgra{144, 77, 121, 255})) << "red at 40 % opacity";
  EXPECT_EQ(c.At(3, 0), (Bgra{220, 114, 41, 255}));
  EXPECT_EQ(c.At(0, 1), (Bgra{0xF0, 0x80, 0x20, 255}));
  EXPECT_EQ(c.At(1, 1), (Bgra{240, 128, 33, 255}));
  EXPECT_EQ(c.At(2, 1), (Bgra{255, 255, 254, 255}));
  c.ExpectPaddingUntouched();

  // A picture transparent throughout composes to the colour in every style.
  Image clear(3, 2);
  BlendOver(clear.View(), colour);
  for (int style : {kStyleCentered, kStyleTiled, kStyleStretched, kStyleFill, kStyleFit}) {
    Canvas canvas(3, 2);
    ComposeWallpaper(canvas.View(), clear.View(), style, colour);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(canvas.At(x, y), (Bgra{0xF0, 0x80, 0x20, 255})) << style;
  }
}

TEST(StyleValueTest, EveryStyleIsReadBackFromTheValueWrittenForIt) {
  for (int style = 0; style <= kStyleFit; ++style) EXPECT_EQ(StyleOfDesktopValue(DesktopStyleValue(style)), style);
  EXPECT_EQ(DesktopStyleValue(kStyleFill), 10);
  EXPECT_EQ(DesktopStyleValue(kStyleFit), 6);
  EXPECT_EQ(DesktopStyleValue(kStyleStretched), 2);
  for (int other : {-1, 3, 4, 5, 22, 32767}) EXPECT_EQ(StyleOfDesktopValue(other), -1) << other;
}

}  // namespace
}  // namespace vd
