// The picture-header reader on arbitrary bytes: it must never read out of
// bounds, and what it accepts must be within what the decoders are given.
#include <cstddef>
#include <cstdint>

#include "engine/picture_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vd::MemorySource source(data, size);
  const vd::PictureHeader h = vd::ReadPictureHeader(source);
  if (h.verdict == vd::PictureVerdict::Accepted) {
    if (h.width == 0 || h.height == 0 || h.width > vd::kMaxPictureSide || h.height > vd::kMaxPictureSide ||
        h.largestPixels > vd::kPixelBudget || h.decodeBytes > vd::kDecodeMemoryBudget ||
        h.format == vd::PictureFormat::Unknown)
      __builtin_trap();
  }
  if (h.format == vd::PictureFormat::Unknown && h.verdict != vd::PictureVerdict::Unreadable) __builtin_trap();
  const std::string text = vd::PictureProblemText(h, "C:\\x.jpg");
  if (text.empty() != (h.verdict == vd::PictureVerdict::Accepted)) __builtin_trap();
  return 0;
}
