// The black-and-white filter applied to the composed wallpaper.
#pragma once

#include "engine/image.h"

namespace vd {

// In place, per pixel: s = B + G + R, g = s / 3 (integer), v = g + 10 when
// g < 245 else g; B = G = R = v. The 4th byte is left as it is. Uses SSE2
// where the target has it (every x86-64), with results identical to the
// scalar path.
void FilterBlackAndWhite(ImageView img);

// The same filter, one pixel at a time: the reference the fast path is
// tested against.
void FilterBlackAndWhiteScalar(ImageView img);

// True when FilterBlackAndWhite runs a vector path on this build.
bool FilterBlackAndWhiteIsVectorised();

}  // namespace vd
