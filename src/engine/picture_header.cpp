#include "engine/picture_header.h"

#include <algorithm>
#include <cstring>

namespace vd {

std::size_t MemorySource::ReadAt(std::uint64_t offset, void* out, std::size_t n) {
  if (offset >= size_) return 0;
  const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset));
  std::memcpy(out, data_ + offset, count);
  return count;
}

namespace {

// Markers a JPEG may carry before its frame header; real files have a few
// dozen (an ICC profile split over many APP2 segments is the most).
constexpr int kMaxJpegSegments = 4096;
// Bytes of junk tolerated between two JPEG segments, as decoders skip them.
constexpr std::uint64_t kMaxJpegGap = 65536;

// Reads through a small window so that walking a file's blocks costs few
// calls to the source.
class Reader {
 public:
  explicit Reader(ByteSource& source) : source_(source), size_(source.Size()) {}
  std::uint64_t Size() const { return size_; }

  bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
    if (n > sizeof window_ || offset > size_ || size_ - offset < n) return false;
    if (offset < start_ || offset + n > start_ + length_) {
      start_ = offset;
      length_ = source_.ReadAt(offset, window_, sizeof window_);
      if (length_ < n) return false;
    }
    std::memcpy(out, window_ + (offset - start_), n);
    return true;
  }
  int Byte(std::uint64_t offset) {
    std::uint8_t b = 0;
    return Read(offset, &b, 1) ? b : -1;
  }

 private:
  ByteSource& source_;
  std::uint64_t size_;
  std::uint8_t window_[4096];
  std::uint64_t start_ = 0;
  std::size_t length_ = 0;
};

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint32_t Be16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }
std::uint32_t Be32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

PictureHeader Sized(PictureFormat format, std::uint32_t width, std::uint32_t height, std::uint64_t largest) {
  PictureHeader h;
  h.format = format;
  h.width = width;
  h.height = height;
  h.largestPixels = std::max(largest, std::uint64_t{width} * height);
  if (width == 0 || height == 0) {
    h.verdict = PictureVerdict::Unreadable;
  } else if (width > kMaxPictureSide || height > kMaxPictureSide || h.largestPixels > kPixelBudget) {
    h.verdict = PictureVerdict::TooLarge;
  } else {
    h.verdict = PictureVerdict::Accepted;
  }
  return h;
}

PictureHeader Unreadable(PictureFormat format) {
  PictureHeader h;
  h.format = format;
  return h;
}

PictureHeader ReadBmp(Reader& r) {
  std::uint8_t h[30];
  if (!r.Read(0, h, 18)) return Unreadable(PictureFormat::Bmp);
  const std::uint32_t dataOffset = Le32(h + 10);
  const std::uint32_t infoSize = Le32(h + 14);
  std::int64_t width = 0, height = 0;
  std::uint32_t bitCount = 0, compression = 0;
  if (infoSize == 12) {  // OS/2 core header: 16-bit sides
    if (!r.Read(14, h, 12)) return Unreadable(PictureFormat::Bmp);
    width = Le16(h + 4);
    height = static_cast<std::int16_t>(Le16(h + 6));
    bitCount = Le16(h + 10);
  } else if (infoSize >= 16 && infoSize <= 4096) {
    if (!r.Read(14, h, 20)) return Unreadable(PictureFormat::Bmp);
    width = static_cast<std::int32_t>(Le32(h + 4));
    height = static_cast<std::int32_t>(Le32(h + 8));
    bitCount = Le16(h + 14);
    if (infoSize >= 20) compression = Le32(h + 16);
    if (infoSize == 64 && compression == 3) compression = 0x100;  // OS/2 Huffman, not bit fields
  } else {
    return Unreadable(PictureFormat::Bmp);
  }
  if (width <= 0 || height == 0) return Unreadable(PictureFormat::Bmp);
  if (height < 0) height = -height;  // rows stored top-down
  PictureHeader out =
      Sized(PictureFormat::Bmp, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 0);
  if (out.verdict != PictureVerdict::Accepted) return out;

  // Uncompressed rows have a known size: a file shorter than its rows claims
  // pixels it does not hold (and some decoders allocate them all first).
  const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
  if (uncompressed && bitCount > 0 && bitCount <= 32) {
    const std::uint64_t rowBits = static_cast<std::uint64_t>(width) * bitCount;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    const std::uint64_t pixelsStart = std::max<std::uint64_t>(dataOffset, 14 + std::uint64_t{infoSize});
    // The last row's padding is often left out.
    const std::uint64_t needed = pixelsStart + stride * static_cast<std::uint64_t>(height - 1) + (rowBits + 7) / 8;
    if (needed > r.Size()) out.verdict = PictureVerdict::Truncated;
  }
  return out;
}

bool IsStartOfFrame(int marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

PictureHeader ReadJpeg(Reader& r) {
  std::uint64_t pos = 2;
  for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
    // Find the next marker: junk bytes before it are skipped, as decoders do,
    // and so are fill bytes (repeated 0xFF).
    std::uint64_t gap = 0;
    int b;
    while ((b = r.Byte(pos)) != 0xFF) {
      if (b < 0 || ++gap > kMaxJpegGap) return Unreadable(PictureFormat::Jpeg);
      ++pos;
    }
    while ((b = r.Byte(pos)) == 0xFF) ++pos;
    if (b < 0) return Unreadable(PictureFormat::Jpeg);
    const int marker = b;
    ++pos;
    if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD9 || marker == 0xDA) return Unreadable(PictureFormat::Jpeg);  // no frame header first
    std::uint8_t s[8];
    if (!r.Read(pos, s, 2)) return Unreadable(PictureFormat::Jpeg);
    const std::uint32_t length = Be16(s);
    if (length < 2) return Unreadable(PictureFormat::Jpeg);
    if (IsStartOfFrame(marker)) {
      if (length < 8 || !r.Read(pos, s, 8)) return Unreadable(PictureFormat::Jpeg);
      // A height of 0 would be given later by a DNL marker, which decoders do not support.
      return Sized(PictureFormat::Jpeg, Be16(s + 5), Be16(s + 3), 0);
    }
    pos += length;
  }
  return Unreadable(PictureFormat::Jpeg);
}

// Skips a chain of data sub-blocks; false when the file ends inside it.
bool SkipSubBlocks(Reader& r, std::uint64_t& pos) {
  for (;;) {
    const int n = r.Byte(pos);
    if (n < 0) return false;
    ++pos;
    if (n == 0) return true;
    pos += static_cast<std::uint64_t>(n);
  }
}

PictureHeader ReadGif(Reader& r) {
  std::uint8_t h[13];
  if (!r.Read(0, h, 13)) return Unreadable(PictureFormat::Gif);
  std::uint32_t width = Le16(h + 6), height = Le16(h + 8);
  std::uint64_t pos = 13;
  if (h[10] & 0x80) pos += 3u << ((h[10] & 7) + 1);
  // Some decoders read every frame at once, so every frame must fit.
  std::uint64_t largest = 0;
  int frames = 0;
  for (bool more = true; more;) {
    switch (r.Byte(pos)) {
      case 0x2C: {  // image descriptor
        std::uint8_t d[9];
        if (!r.Read(pos + 1, d, 9)) {
          more = false;
          break;
        }
        const std::uint32_t w = Le16(d + 4), fh = Le16(d + 6);
        if (frames++ == 0 && (width == 0 || height == 0)) width = w, height = fh;
        largest = std::max(largest, std::uint64_t{w} * fh);
        pos += 10;
        if (d[8] & 0x80) pos += 3u << ((d[8] & 7) + 1);
        pos += 1;  // LZW code size
        more = SkipSubBlocks(r, pos);
        break;
      }
      case 0x21:  // extension: label, then sub-blocks
        pos += 2;
        more = SkipSubBlocks(r, pos);
        break;
      default:  // the trailer, the end of the file, or damage: judge what was read
        more = false;
        break;
    }
  }
  if (frames == 0) return Unreadable(PictureFormat::Gif);
  return Sized(PictureFormat::Gif, width, height, largest);
}

PictureHeader ReadPng(Reader& r) {
  std::uint8_t h[24];
  if (!r.Read(0, h, 24) || Be32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0)
    return Unreadable(PictureFormat::Png);
  const std::uint32_t width = Be32(h + 16), height = Be32(h + 20);
  if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return Unreadable(PictureFormat::Png);
  return Sized(PictureFormat::Png, width, height, 0);
}

std::string Number(std::uint64_t n) { return std::to_string(n); }

}  // namespace

PictureHeader ReadPictureHeader(ByteSource& source) {
  Reader r(source);
  std::uint8_t magic[8] = {};
  if (!r.Read(0, magic, std::min<std::uint64_t>(8, r.Size()))) return {};
  if (magic[0] == 'B' && magic[1] == 'M') return ReadBmp(r);
  if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return ReadJpeg(r);
  if (std::memcmp(magic, "GIF87a", 6) == 0 || std::memcmp(magic, "GIF89a", 6) == 0) return ReadGif(r);
  if (std::memcmp(magic, "\x89PNG\r\n\x1A\n", 8) == 0) return ReadPng(r);
  return {};
}

std::string PictureProblemText(const PictureHeader& header, const std::string& path) {
  switch (header.verdict) {
    case PictureVerdict::Accepted:
      return {};
    case PictureVerdict::TooLarge:
      return "The picture\r\n" + path + "\r\nis too large to be used as a wallpaper: " + Number(header.width) + " x " +
             Number(header.height) +
             " pixels.\r\n\r\nPictures of up to 268 million pixels (16384 x 16384) can be used.";
    case PictureVerdict::Truncated:
      return "The picture\r\n" + path + "\r\nis damaged: the file is shorter than the picture it describes.";
    case PictureVerdict::Unreadable:
      break;
  }
  return "The file\r\n" + path + "\r\nis not a picture that can be read (BMP, JPEG, GIF or PNG).";
}

}  // namespace vd
