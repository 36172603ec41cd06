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

}  // namespace vd
