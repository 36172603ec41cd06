// The size of a picture read from its own header (BMP, JPEG, GIF, PNG, TIFF),
// so that a picture too large to decode safely is refused before any decoder
// sees it. The reader looks at a few hundred bytes of an ordinary file; it
// never allocates more than a small buffer whatever the file claims.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vd {

// Pictures up to 2^28 pixels (268,435,456; 16384 x 16384) are decoded. That
// passes every camera picture made today (200-megapixel phone sensors,
// 150-megapixel medium format, 240-megapixel pixel-shift composites) and
// ordinary panoramas; gigapixel stitchings and decompression bombs lie
// beyond it.
inline constexpr std::uint64_t kPixelBudget = std::uint64_t{1} << 28;
// The decoders take no side longer than this.
inline constexpr std::uint32_t kMaxPictureSide = 65535;
// What a decoder holds at once depends on the kind of picture as much as on
// its pixels (a progressive CMYK JPEG keeps 12 bytes a pixel, a 16-bit RGBA
// PNG 8, a plain JPEG 3): a picture whose estimate passes this is refused too.
inline constexpr std::uint64_t kDecodeMemoryBudget = std::uint64_t{1} << 30;

// Random access to the bytes of a file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies up to n bytes from offset into out; the number copied (short at the end).
  virtual std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t n) = 0;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t n) override;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// System: a kind only the system's codecs know (WebP, HEIF, ...).
enum class PictureFormat { Unknown, Bmp, Jpeg, Gif, Png, Tiff, System };

enum class PictureVerdict {
  Accepted,
  TooLarge,     // more pixels than the budget, a side longer than a decoder takes, or
                // more memory to decode than kDecodeMemoryBudget
  Truncated,    // an uncompressed bitmap whose file is shorter than its pixels
  Unreadable,   // no known format, or a header that makes no sense
};

struct PictureHeader {
  PictureFormat format = PictureFormat::Unknown;
  PictureVerdict verdict = PictureVerdict::Unreadable;
  std::uint32_t width = 0;   // as the header gives it (the logical screen of a GIF)
  std::uint32_t height = 0;
  std::uint64_t largestPixels = 0;  // the largest area any decoder would allocate (all GIF frames)
  std::uint64_t decodeBytes = 0;    // the most memory decoding it takes at once, estimated
  std::uint64_t firstFrameEnd = 0;  // a GIF: where its first frame's data ends (0: unknown)
};

PictureHeader ReadPictureHeader(ByteSource& source);

// A picture of a kind only the system's codecs know, judged from the size and
// the bits per pixel its decoder reports (the whole frame is held at once).
PictureHeader JudgeSystemPicture(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel);

// Why a picture is refused, for a message box; empty when it is accepted.
std::string PictureProblemText(const PictureHeader& header, const std::string& path);

}  // namespace vd
