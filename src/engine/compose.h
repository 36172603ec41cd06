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

}  // namespace vd
