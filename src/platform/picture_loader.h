// Decodes picture files (BMP, JPEG, GIF, PNG, TIFF and whatever the system
// has codecs for) to BGRA through WIC; of a GIF, its first frame alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/compose.h"
#include "engine/image.h"

namespace platform {

struct Picture {
  vd::Image pixels;        // possibly scaled down while decoding
  int originalWidth = 0;   // the picture's own size
  int originalHeight = 0;
};

// A picture larger than maxWidth x maxHeight is scaled down while decoding
// (area-averaged, in strips), so a huge file cannot exhaust memory. An empty
// Picture when the file cannot be decoded, or when its header claims more
// than the decoders can take safely (PictureProblem says why). A picture
// whose format has alpha comes out opaque, laid over background (0x00BBGGRR,
// the desktop's colour); others are left exactly as decoded.
Picture LoadPicture(const std::string& path, int maxWidth, int maxHeight, std::uint32_t background = 0);

// Decodes only the part of the picture that choosePart names once the
// picture's own size is known (clipped to the picture), scaled down while
// decoding when the part has a maximum size. A set stop flag ends a decode
// in strips at its next strip, with an empty Picture.
Picture LoadPicture(const std::string& path, const std::function<vd::PicturePart(int width, int height)>& choosePart,
                    std::uint32_t background, const std::atomic<bool>* stop = nullptr);

// Why the picture file cannot be used, in words for the user (too large,
// damaged, not a picture, cannot be opened); empty when its header is sound
// and within the pixel budget. Reads only the header.
std::string PictureProblem(const std::string& path);

// The file extensions the system's installed decoders read (".bmp", ".webp",
// ...), as WIC lists them.
std::vector<std::string> SystemPictureExtensions();

}  // namespace platform
