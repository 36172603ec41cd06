// The wallpaper composition: a picture laid out on the screen-sized canvas.
#pragma once

#include <cstdint>

#include "engine/image.h"

namespace vd {

// Clears the canvas to opaque black and lays the picture out by style code:
// 0 Centered: at its own size, at ((canvasW - picW) / 2, (canvasH - picH) / 2)
//   (truncating division), so a larger picture is cut equally on both sides;
// 1 Tiled: at its own size, repeated from the top-left corner in rows and
//   columns until the canvas is covered;
// 2 Stretched: scaled to the whole canvas (ResampleInto);
// 3 Fill: the middle of the picture with the canvas's shape (FillSource),
//   scaled to the whole canvas;
// 4 Fit: scaled into the middle of the canvas keeping its shape (FitTarget),
//   the rest of the canvas in backgroundColour (0x00BBGGRR).
// Any other style, or an empty picture, leaves the canvas black. Copied
// pixels get the 4th byte 255: the canvas is opaque.
void ComposeWallpaper(ImageView canvas, ConstImageView picture, int style, std::uint32_t backgroundColour = 0);

// Lays every pixel over colour (0x00BBGGRR) by its own alpha, straight (not
// premultiplied), and makes it opaque: alpha 255 keeps the pixel, 0 gives the
// colour, rounded to the nearest. For pictures whose format has an alpha
// channel, before any scaling, so that a transparent pixel's hidden colour
// never bleeds into its neighbours.
void BlendOver(ImageView pixels, std::uint32_t colour);

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};
// The part of a width x height picture that Fill shows on a canvas: the
// canvas's shape, as large as the picture allows, centred (the overflow cut
// equally on both sides, the odd pixel on the far side). Never empty for a
// picture and canvas that are not.
Rect FillSource(int width, int height, int canvasWidth, int canvasHeight);
// Where Fit puts a width x height picture on a canvas: as large as fits with
// the picture's shape, centred. Never a side of 0 for a picture and canvas
// that are not empty.
Rect FitTarget(int width, int height, int canvasWidth, int canvasHeight);

// The part of a width x height picture that a style needs on a screenWidth x
// screenHeight canvas. Centered needs the middle of the picture and Tiled its
// top-left corner, each at most a screen's worth at the picture's own pixel
// size; composing that part gives the same canvas as composing the whole
// picture. Fill needs the part it shows (FillSource) and Stretched, Fit (and
// any other style) all of it, scaled down to fit within twice the screen so
// that a huge picture cannot exhaust memory.
struct PicturePart {
  int x = 0, y = 0, width = 0, height = 0;  // the rectangle to decode
  int maxWidth = 0, maxHeight = 0;          // scale it down to fit within this; 0: keep its own size
};
PicturePart PartNeeded(int style, int width, int height, int screenWidth, int screenHeight);

}  // namespace vd
