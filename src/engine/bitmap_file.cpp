#include "engine/bitmap_file.h"

#include <algorithm>
#include <cstring>

namespace vd {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kHeaderSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::uint32_t kPixelsPerMetre96Dpi = 3780;

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

std::vector<std::uint8_t> BmpHeader(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  const std::size_t rowBytes = 4 * static_cast<std::size_t>(width);  // already a multiple of 4
  const std::uint64_t pixelBytes = static_cast<std::uint64_t>(rowBytes) * static_cast<std::uint64_t>(height);
  if (pixelBytes + kHeaderSize > 0xFFFFFFFFu) return {};
  std::vector<std::uint8_t> header(kHeaderSize);
  std::uint8_t* h = header.data();
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(kHeaderSize + pixelBytes));  // bfSize
  Put32(h + 10, static_cast<std::uint32_t>(kHeaderSize));              // bfOffBits
  std::uint8_t* info = h + kFileHeaderSize;
  Put32(info + 0, static_cast<std::uint32_t>(kInfoHeaderSize));  // biSize
  Put32(info + 4, static_cast<std::uint32_t>(width));            // biWidth
  Put32(info + 8, static_cast<std::uint32_t>(height));           // biHeight > 0: bottom-up
  Put16(info + 12, 1);                                           // biPlanes
  Put16(info + 14, 32);                                          // biBitCount
  Put32(info + 16, 0);                                           // biCompression = BI_RGB
  Put32(info + 20, static_cast<std::uint32_t>(pixelBytes));      // biSizeImage
  Put32(info + 24, kPixelsPerMetre96Dpi);                        // biXPelsPerMeter
  Put32(info + 28, kPixelsPerMetre96Dpi);                        // biYPelsPerMeter
  // biClrUsed and biClrImportant stay 0.
  return header;
}

void FlipRows(ImageView img) {
  if (img.Empty()) return;
  const std::size_t rowBytes = 4 * static_cast<std::size_t>(img.width);
  for (int top = 0, bottom = img.height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(img.Row(top), img.Row(top) + rowBytes, img.Row(bottom));
}

std::vector<std::uint8_t> EncodeBmp(ConstImageView img) {
  if (img.Empty()) return {};
  std::vector<std::uint8_t> file = BmpHeader(img.width, img.height);
  if (file.empty()) return {};
  const std::size_t rowBytes = 4 * static_cast<std::size_t>(img.width);
  // Sized once, then filled: each row goes in with one copy.
  file.resize(kHeaderSize + rowBytes * static_cast<std::size_t>(img.height));
  std::uint8_t* out = file.data() + kHeaderSize;
  for (int y = img.height - 1; y >= 0; --y, out += rowBytes) std::memcpy(out, img.Row(y), rowBytes);
  return file;
}

}  // namespace vd
