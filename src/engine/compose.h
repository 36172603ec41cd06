// The wallpaper composition: a picture laid out on the screen-sized canvas.
#pragma once

#include "engine/image.h"

namespace vd {

// Clears the canvas to opaque black and lays the picture out by style code:
// 0 Centered: at its own size, at ((canvasW - picW) / 2, (canvasH - picH) / 2)
//   (truncating division), so a larger picture is cut equally on both sides;
// 1 Tiled: at its own size, repeated from the top-left corner in rows and
//   columns until the canvas is covered;
// 2 Stretched: scaled to the whole canvas (ResampleInto).
// Any other style, or an empty picture, leaves the canvas black. Copied
// pixels get the 4th byte 255: the canvas is opaque.
void ComposeWallpaper(ImageView canvas, ConstImageView picture, int style);

// The part of a width x height picture that a style needs on a screenWidth x
// screenHeight canvas. Centered needs the middle of the picture and Tiled its
// top-left corner, each at most a screen's worth at the picture's own pixel
// size; composing that part gives the same canvas as composing the whole
// picture. Stretched (and any other style) needs all of it, scaled down to fit
// within twice the screen so that a huge picture cannot exhaust memory.
struct PicturePart {
  int x = 0, y = 0, width = 0, height = 0;  // the rectangle to decode
  int maxWidth = 0, maxHeight = 0;          // scale it down to fit within this; 0: keep its own size
};
PicturePart PartNeeded(int style, int width, int height, int screenWidth, int screenHeight);

}  // namespace vd
