#include "engine/compose.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/resample.h"
#include "engine/style_rule.h"

namespace vd {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

void CopyOpaque(std::uint8_t* dst, const std::uint8_t* src, std::ptrdiff_t pixels) {
  std::memcpy(dst, src, 4 * static_cast<std::size_t>(pixels));
  for (std::ptrdiff_t x = 0; x < pixels; ++x) dst[4 * x + 3] = 255;
}

void ClearBlack(ImageView canvas) {
  std::uint8_t* first = canvas.Row(0);
  for (int x = 0; x < canvas.width; ++x) std::memcpy(first + 4 * static_cast<std::ptrdiff_t>(x), &kOpaque, 4);
  const std::size_t bytes = 4 * static_cast<std::size_t>(canvas.width);
  for (int y = 1; y < canvas.height; ++y) std::memcpy(canvas.Row(y), first, bytes);
}

void Center(ImageView canvas, ConstImageView picture) {
  ClearBlack(canvas);
  // 64-bit: the difference of two ints may not fit one.
  const std::int64_t left = (static_cast<std::int64_t>(canvas.width) - picture.width) / 2;
  const std::int64_t top = (static_cast<std::int64_t>(canvas.height) - picture.height) / 2;
  const std::int64_t x0 = std::max<std::int64_t>(0, left);
  const std::int64_t x1 = std::min<std::int64_t>(canvas.width, left + picture.width);
  const std::int64_t y0 = std::max<std::int64_t>(0, top);
  const std::int64_t y1 = std::min<std::int64_t>(canvas.height, top + picture.height);
  if (x0 >= x1 || y0 >= y1) return;
  for (std::int64_t y = y0; y < y1; ++y) {
    CopyOpaque(canvas.Pixel(static_cast<int>(x0), static_cast<int>(y)),
               picture.Pixel(static_cast<int>(x0 - left), static_cast<int>(y - top)), x1 - x0);
  }
}

void Tile(ImageView canvas, ConstImageView picture) {
  const std::size_t rowBytes = 4 * static_cast<std::size_t>(canvas.width);
  const int bandRows = std::min(canvas.height, picture.height);
  const int firstWidth = std::min(canvas.width, picture.width);
  for (int y = 0; y < bandRows; ++y) {
    std::uint8_t* row = canvas.Row(y);
    CopyOpaque(row, picture.Row(y), firstWidth);
    // The rest of the row repeats the whole tiles already there, doubling
    // the filled run each time (filled stays a multiple of the tile width).
    std::size_t filled = 4 * static_cast<std::size_t>(firstWidth);
    while (filled < rowBytes) {
      const std::size_t chunk = std::min(filled, rowBytes - filled);
      std::memcpy(row + filled, row, chunk);
      filled += chunk;
    }
  }
  for (int y = bandRows; y < canvas.height; ++y) std::memcpy(canvas.Row(y), canvas.Row(y - picture.height), rowBytes);
}

void ClearTo(ImageView canvas, std::uint32_t colour) {
  // 0x00BBGGRR to the canvas's BGRA bytes.
  const std::uint32_t bgra = kOpaque | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
  std::uint8_t* first = canvas.Row(0);
  for (int x = 0; x < canvas.width; ++x) std::memcpy(first + 4 * static_cast<std::ptrdiff_t>(x), &bgra, 4);
  const std::size_t bytes = 4 * static_cast<std::size_t>(canvas.width);
  for (int y = 1; y < canvas.height; ++y) std::memcpy(canvas.Row(y), first, bytes);
}

// a * b / c rounded to the nearest, without overflow for int operands.
int MulDivRound(int a, int b, int c) {
  const std::int64_t n = static_cast<std::int64_t>(a) * b;
  return static_cast<int>((2 * n + c) / (2 * static_cast<std::int64_t>(c)));
}

}  // namespace

void BlendOver(ImageView pixels, std::uint32_t colour) {
  if (pixels.Empty()) return;
  const unsigned under[3] = {(colour >> 16) & 0xFFu, (colour >> 8) & 0xFFu, colour & 0xFFu};  // B, G, R
  for (int y = 0; y < pixels.height; ++y) {
    std::uint8_t* p = pixels.Row(y);
    for (int x = 0; x < pixels.width; ++x, p += 4) {
      const unsigned a = p[3];
      if (a == 255) continue;
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * a + under[c] * (255 - a) + 127) / 255);
      p[3] = 255;
    }
  }
}

Rect FillSource(int width, int height, int canvasWidth, int canvasHeight) {
  Rect r{0, 0, width, height};
  if (width < 1 || height < 1 || canvasWidth < 1 || canvasHeight < 1) return r;
  if (static_cast<std::int64_t>(width) * canvasHeight > static_cast<std::int64_t>(canvasWidth) * height) {
    r.width = std::clamp(MulDivRound(canvasWidth, height, canvasHeight), 1, width);  // wider: cut left and right
  } else {
    r.height = std::clamp(MulDivRound(canvasHeight, width, canvasWidth), 1, height);  // taller: cut top and bottom
  }
  r.x = (width - r.width) / 2;
  r.y = (height - r.height) / 2;
  return r;
}

Rect FitTarget(int width, int height, int canvasWidth, int canvasHeight) {
  Rect r{0, 0, canvasWidth, canvasHeight};
  if (width < 1 || height < 1 || canvasWidth < 1 || canvasHeight < 1) return r;
  if (static_cast<std::int64_t>(width) * canvasHeight > static_cast<std::int64_t>(canvasWidth) * height) {
    r.height = std::clamp(MulDivRound(height, canvasWidth, width), 1, canvasHeight);
  } else {
    r.width = std::clamp(MulDivRound(width, canvasHeight, height), 1, canvasWidth);
  }
  r.x = (canvasWidth - r.width) / 2;
  r.y = (canvasHeight - r.height) / 2;
  return r;
}

void ComposeWallpaper(ImageView canvas, ConstImageView picture, int style, std::uint32_t backgroundColour) {
  if (canvas.Empty()) return;
  if (picture.Empty()) return ClearBlack(canvas);
  switch (style) {
    case kStyleCentered:
      return Center(canvas, picture);
    case kStyleTiled:
      return Tile(canvas, picture);
    case kStyleStretched:
      return ResampleInto(picture, canvas);
    case kStyleFill: {
      const Rect r = FillSource(picture.width, picture.height, canvas.width, canvas.height);
      return ResampleInto(ConstImageView(picture.Pixel(r.x, r.y), r.width, r.height, picture.stride), canvas);
    }
    case kStyleFit: {
      const Rect r = FitTarget(picture.width, picture.height, canvas.width, canvas.height);
      ClearTo(canvas, backgroundColour);
      return ResampleInto(picture, ImageView{canvas.Pixel(r.x, r.y), r.width, r.height, canvas.stride});
    }
    default:
      return ClearBlack(canvas);
  }
}

PicturePart PartNeeded(int style, int width, int height, int screenWidth, int screenHeight) {
  PicturePart part;
  if (style == kStyleFill) {
    const Rect r = FillSource(width, height, screenWidth, screenHeight);
    part = {r.x, r.y, r.width, r.height, 2 * screenWidth, 2 * screenHeight};
    return part;
  }
  if (style != kStyleCentered && style != kStyleTiled) {
    part.width = width;
    part.height = height;
    part.maxWidth = 2 * screenWidth;
    part.maxHeight = 2 * screenHeight;
    return part;
  }
  part.width = std::min(width, std::max(screenWidth, 1));
  part.height = std::min(height, std::max(screenHeight, 1));
  if (style == kStyleCentered) {
    // Where the whole picture's centring would cut it (the offsets Center uses).
    part.x = (width - part.width) / 2;
    part.y = (height - part.height) / 2;
  }
  return part;
}

}  // namespace vd
