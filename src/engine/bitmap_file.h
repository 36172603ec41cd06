// The wallpaper bitmap file.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/image.h"

namespace vd {

// A Windows .bmp of img: file header and BITMAPINFOHEADER, 32 bits per
// pixel, BI_RGB, rows bottom-up (positive height), 96 DPI, pixels as BGRX.
// Empty when img is empty or too large for the format (4 GiB).
std::vector<std::uint8_t> EncodeBmp(ConstImageView img);

// The same file without a second copy of the pixels: BmpHeader's bytes
// followed by the image's rows once FlipRows has put them bottom-up in
// place (a tightly packed image). The header is empty when the image is
// empty or too large.
std::vector<std::uint8_t> BmpHeader(int width, int height);
void FlipRows(ImageView img);

}  // namespace vd
