#include "engine/orientation.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vd {

namespace {

// Markers before the picture data are few; a file with more is not worth
// searching.
constexpr int kMaxSegments = 64;

struct Tiff {
  const std::vector<std::uint8_t>& b;
  std::size_t base;  // where the TIFF header starts
  bool big;          // "MM": big-endian

  bool Has(std::size_t at, std::size_t n) const { return at <= b.size() && n <= b.size() - at; }
  unsigned U16(std::size_t at) const {
    return big ? (b[at] << 8) | b[at + 1] : b[at] | (b[at + 1] << 8);
  }
  std::uint32_t U32(std::size_t at) const {
    return big ? (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3]
               : (std::uint32_t{b[at + 3]} << 24) | (std::uint32_t{b[at + 2]} << 16) | (std::uint32_t{b[at + 1]} << 8) | b[at];
  }
};

int OrientationInExif(const std::vector<std::uint8_t>& b) {
  static const std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (b.size() < 6 + 8 || std::memcmp(b.data(), kExif, 6) != 0) return 0;
  const std::size_t base = 6;
  bool big;
  if (b[base] == 'I' && b[base + 1] == 'I') big = false;
  else if (b[base] == 'M' && b[base + 1] == 'M') big = true;
  else return 0;
  Tiff t{b, base, big};
  if (t.U16(base + 2) != 42) return 0;
  // Only IFD0 is read and no chain is followed, so no offset can loop.
  const std::uint32_t ifd = t.U32(base + 4);
  if (ifd > b.size() || !t.Has(base + ifd, 2)) return 0;
  const std::size_t first = base + ifd + 2;
  const unsigned entries = t.U16(base + ifd);
  for (unsigned i = 0; i < entries; ++i) {
    const std::size_t e = first + 12 * static_cast<std::size_t>(i);
    if (!t.Has(e, 12)) return 0;  // the count lies: the block ends first
    if (t.U16(e) != 0x0112) continue;
    // SHORT, one value, held in the entry itself.
    if (t.U16(e + 2) != 3 || t.U32(e + 4) != 1) return 0;
    return static_cast<int>(t.U16(e + 8));
  }
  return 0;
}

}  // namespace

int ReadOrientation(ByteSource& source) {
  std::uint8_t head[4];
  if (source.ReadAt(0, head, 2) != 2 || head[0] != 0xFF || head[1] != 0xD8) return 1;
  std::uint64_t at = 2;
  for (int segment = 0; segment < kMaxSegments; ++segment) {
    if (source.ReadAt(at, head, 4) != 4 || head[0] != 0xFF) return 1;
    const std::uint8_t marker = head[1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    // The picture data, or the end, comes before any tag we could use.
    if (marker == 0xDA || marker == 0xD9) return 1;
    const unsigned length = (head[2] << 8) | head[3];
    if (length < 2) return 1;
    if (marker == 0xE1 && length > 2) {
      std::vector<std::uint8_t> block(length - 2);
      if (source.ReadAt(at + 4, block.data(), block.size()) != block.size()) return 1;
      const int o = OrientationInExif(block);
      if (o != 0) return o >= 1 && o <= 8 ? o : 1;
      // Another APP1 (XMP, say): look on.
    }
    at += 2 + static_cast<std::uint64_t>(length);
  }
  return 1;
}

void StoredPixelOf(int orientation, int storedWidth, int storedHeight, int x, int y, int& sx, int& sy) {
  const int w = storedWidth, h = storedHeight;
  switch (orientation) {
    case 2: sx = w - 1 - x; sy = y; break;              // mirrored left to right
    case 3: sx = w - 1 - x; sy = h - 1 - y; break;      // upside down
    case 4: sx = x; sy = h - 1 - y; break;              // mirrored top to bottom
    case 5: sx = y; sy = x; break;                      // mirrored along the diagonal
    case 6: sx = y; sy = h - 1 - x; break;              // to be turned a quarter clockwise
    case 7: sx = w - 1 - y; sy = h - 1 - x; break;      // mirrored along the other diagonal
    case 8: sx = w - 1 - y; sy = x; break;              // to be turned a quarter anticlockwise
    default: sx = x; sy = y; break;
  }
}

void OrientInto(ConstImageView stored, int orientation, ImageView upright) {
  const bool swap = SwapsSides(orientation);
  const int w = swap ? stored.height : stored.width;
  const int h = swap ? stored.width : stored.height;
  if (upright.Empty() || stored.Empty() || upright.width != w || upright.height != h) return;
  if (orientation < 2 || orientation > 8) {
    for (int y = 0; y < h; ++y) std::memcpy(upright.Row(y), stored.Row(y), 4 * static_cast<std::size_t>(w));
    return;
  }
  // Along a row of the upright picture the stored pixel moves by a fixed step.
  int x0, y0, x1, y1;
  StoredPixelOf(orientation, stored.width, stored.height, 0, 0, x0, y0);
  StoredPixelOf(orientation, stored.width, stored.height, w > 1 ? 1 : 0, 0, x1, y1);
  const std::ptrdiff_t step = (y1 - y0) * stored.stride + 4 * static_cast<std::ptrdiff_t>(x1 - x0);
  for (int y = 0; y < h; ++y) {
    int sx, sy;
    StoredPixelOf(orientation, stored.width, stored.height, 0, y, sx, sy);
    const std::uint8_t* s = stored.Pixel(sx, sy);
    std::uint8_t* d = upright.Row(y);
    for (int x = 0; x < w; ++x, s += step, d += 4) std::memcpy(d, s, 4);
  }
}

Image Orient(ConstImageView stored, int orientation) {
  const bool swap = SwapsSides(orientation);
  Image out(swap ? stored.height : stored.width, swap ? stored.width : stored.height);
  OrientInto(stored, orientation, out.View());
  return out;
}

Rect StoredRect(int orientation, int storedWidth, int storedHeight, Rect shown) {
  if (shown.width < 1 || shown.height < 1) return shown;
  int ax, ay, bx, by;
  StoredPixelOf(orientation, storedWidth, storedHeight, shown.x, shown.y, ax, ay);
  StoredPixelOf(orientation, storedWidth, storedHeight, shown.x + shown.width - 1, shown.y + shown.height - 1, bx, by);
  return {std::min(ax, bx), std::min(ay, by), std::abs(bx - ax) + 1, std::abs(by - ay) + 1};
}

}  // namespace vd
