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

std::uint32_t U16(const std::uint8_t* p, bool le) { return le ? Le16(p) : Be16(p); }
std::uint32_t U32(const std::uint8_t* p, bool le) { return le ? Le32(p) : Be32(p); }

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

// Bytes of rows of bitsPerPixel each, every row rounded up to whole bytes.
std::uint64_t RowsBytes(std::uint32_t width, std::uint64_t rows, std::uint64_t bitsPerPixel) {
  return CeilDiv(std::uint64_t{width} * bitsPerPixel, 8) * rows;
}

// Beside the decoder's own buffers, a load holds a strip of BGRA rows and the
// format converter one more.
constexpr std::uint64_t kStripRows = 64;
std::uint64_t StripBytes(std::uint32_t width) { return 2 * kStripRows * width * 4; }

// decoderBytes: what the decoder holds at once besides the strips.
PictureHeader Sized(PictureFormat format, std::uint32_t width, std::uint32_t height, std::uint64_t largest,
                    std::uint64_t decoderBytes) {
  PictureHeader h;
  h.format = format;
  h.width = width;
  h.height = height;
  h.largestPixels = std::max(largest, std::uint64_t{width} * height);
  h.decodeBytes = decoderBytes + StripBytes(width);
  if (width == 0 || height == 0) {
    h.verdict = PictureVerdict::Unreadable;
  } else if (width > kMaxPictureSide || height > kMaxPictureSide || h.largestPixels > kPixelBudget ||
             h.decodeBytes > kDecodeMemoryBudget) {
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
  const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
  // Decoders read all the rows in at once; run-length coded ones (and the
  // rest) are expanded to 32 bits a pixel, and the coded data read in beside.
  const std::uint64_t rows = static_cast<std::uint64_t>(height);
  const std::uint64_t held =
      uncompressed && bitCount > 0 && bitCount <= 32
          ? CeilDiv(static_cast<std::uint64_t>(width) * bitCount, 32) * 4 * rows
          : static_cast<std::uint64_t>(width) * rows * 4 + (r.Size() > dataOffset ? r.Size() - dataOffset : 0);
  PictureHeader out =
      Sized(PictureFormat::Bmp, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 0, held);
  if (out.verdict != PictureVerdict::Accepted) return out;

  // Uncompressed rows have a known size: a file shorter than its rows claims
  // pixels it does not hold (and some decoders allocate them all first).
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

// Decoders hold the whole picture at its own channels (CMYK: 4); a
// progressive one also keeps every component's coefficients, 2 bytes each,
// until its last scan.
PictureHeader JpegSized(Reader& r, std::uint64_t pos, int marker, std::uint32_t width, std::uint32_t height,
                        std::uint32_t components, std::uint32_t length) {
  if (components == 0 || length < 8 + 3 * components) return Unreadable(PictureFormat::Jpeg);
  std::uint8_t c[3 * 255];
  if (!r.Read(pos + 8, c, 3 * components)) return Unreadable(PictureFormat::Jpeg);
  std::uint32_t hMax = 1, vMax = 1;
  for (std::uint32_t i = 0; i < components; ++i) {
    hMax = std::max<std::uint32_t>(hMax, c[3 * i + 1] >> 4);
    vMax = std::max<std::uint32_t>(vMax, c[3 * i + 1] & 15);
  }
  // 8 x 8 blocks of a component, its sides scaled by its sampling factors.
  auto blocksOf = [&](std::uint32_t i) {
    const std::uint32_t h = std::max(1, c[3 * i + 1] >> 4), v = std::max(1, c[3 * i + 1] & 15);
    return CeilDiv(CeilDiv(std::uint64_t{width} * h, hMax), 8) * CeilDiv(CeilDiv(std::uint64_t{height} * v, vMax), 8);
  };
  std::uint64_t held = std::uint64_t{width} * height * components;
  const bool progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
  if (progressive) {
    for (std::uint32_t i = 0; i < components; ++i) held += blocksOf(i) * 64 * 2;
  }
  PictureHeader out = Sized(PictureFormat::Jpeg, width, height, 0, held);
  // Huffman coding spends at least one bit on every block of the first
  // component (its DC difference, in a progressive file too), so a file with
  // fewer bits than those blocks claims pixels it does not hold; decoders
  // would allocate them all before finding out.
  const bool huffmanDct = marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
  if (out.verdict == PictureVerdict::Accepted && huffmanDct && r.Size() < CeilDiv(blocksOf(0), 8))
    out.verdict = PictureVerdict::Truncated;
  return out;
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
      return JpegSized(r, pos, marker, Be16(s + 5), Be16(s + 3), s[7], length);
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
  std::uint64_t largest = 0, firstFrame = 0, firstFrameEnd = 0;
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
        if (frames == 0) {
          firstFrame = std::uint64_t{w} * fh;
          if (width == 0 || height == 0) width = w, height = fh;
        }
        largest = std::max(largest, std::uint64_t{w} * fh);
        pos += 10;
        if (d[8] & 0x80) pos += 3u << ((d[8] & 7) + 1);
        pos += 1;  // LZW code size
        more = SkipSubBlocks(r, pos);
        if (frames++ == 0 && more) firstFrameEnd = pos;
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
  // Only the first frame is decoded (a byte a pixel), onto the logical screen.
  PictureHeader out = Sized(PictureFormat::Gif, width, height, largest, std::uint64_t{width} * height + firstFrame);
  out.firstFrameEnd = firstFrameEnd;
  return out;
}

// Deflate's best case: a 258-byte match coded in 2 bits, about 1032 : 1.
constexpr std::uint64_t kDeflateMaxRatio = 1032;
// PNG files have a few chunks; beyond this many the file's size stands for the data.
constexpr int kMaxPngChunks = 4096;

// The bytes of a PNG's compressed data: its IDAT chunks from pos on (only
// what the file holds of them), and, when the walk ends before IEND (too
// many chunks, or damage), every byte after where it ended.
std::uint64_t PngDataBytes(Reader& r, std::uint64_t pos) {
  std::uint64_t data = 0;
  for (int chunk = 0; chunk < kMaxPngChunks; ++chunk) {
    std::uint8_t c[8];
    if (!r.Read(pos, c, 8)) break;
    if (std::memcmp(c + 4, "IEND", 4) == 0) return data;
    const std::uint64_t length = Be32(c);
    if (std::memcmp(c + 4, "IDAT", 4) == 0) data += std::min(length, r.Size() - pos - 8);
    pos += 12 + length;
  }
  return data + (r.Size() > pos ? r.Size() - pos : 0);
}

PictureHeader ReadPng(Reader& r) {
  std::uint8_t h[24];
  if (!r.Read(0, h, 24) || Be32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0)
    return Unreadable(PictureFormat::Png);
  const std::uint32_t width = Be32(h + 16), height = Be32(h + 20);
  if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return Unreadable(PictureFormat::Png);
  std::uint8_t f[5];
  if (!r.Read(24, f, 5)) return Unreadable(PictureFormat::Png);
  const std::uint32_t depth = f[0], colour = f[1];
  // Only these pairs of colour type and bit depth exist; anything else lies.
  const bool valid = (colour == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
                     (colour == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
                     ((colour == 2 || colour == 4 || colour == 6) && (depth == 8 || depth == 16));
  if (!valid || f[2] != 0 || f[3] != 0 || f[4] > 1) return Unreadable(PictureFormat::Png);
  // A transparency chunk before the data gives grey and RGB pictures an alpha channel.
  bool transparency = false;
  std::uint64_t pos = 33;
  for (int chunk = 0; chunk < 64; ++chunk) {
    std::uint8_t c[8];
    if (!r.Read(pos, c, 8) || std::memcmp(c + 4, "IDAT", 4) == 0 || std::memcmp(c + 4, "IEND", 4) == 0) break;
    if (std::memcmp(c + 4, "tRNS", 4) == 0) transparency = true;
    pos += 12 + std::uint64_t{Be32(c)};
  }
  // Decoders hold the whole picture, grey with alpha and transparent ones as RGBA.
  const std::uint32_t channels = colour == 2 ? 3 : colour == 4 || colour == 6 ? 4 : 1;
  const std::uint32_t bits = transparency || colour == 4 ? 4 * depth : channels * depth;
  PictureHeader out = Sized(PictureFormat::Png, width, height, 0, RowsBytes(width, height, bits));
  if (out.verdict != PictureVerdict::Accepted) return out;
  // Deflate shrinks nothing more than about 1032 : 1, so the compressed data
  // bounds the scanlines (each with its filter byte) it can hold.
  const std::uint32_t samples = colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1;  // as stored
  const std::uint64_t raw = RowsBytes(width, height, std::uint64_t{samples} * depth) + height;
  if (PngDataBytes(r, pos) * kDeflateMaxRatio < raw) out.verdict = PictureVerdict::Truncated;
  return out;
}

// The first page of a TIFF file. Decoders work a strip or a tile at a time
// (a strip may be the whole picture), holding it coded and decoded.
PictureHeader ReadTiff(Reader& r) {
  std::uint8_t h[8];
  if (!r.Read(0, h, 8)) return Unreadable(PictureFormat::Tiff);
  const bool le = h[0] == 'I';
  const std::uint64_t ifd = U32(h + 4, le);
  std::uint8_t n[2];
  if (ifd < 8 || !r.Read(ifd, n, 2)) return Unreadable(PictureFormat::Tiff);
  std::uint32_t width = 0, height = 0, samples = 1, bitsPerSample = 1, compression = 1, photometric = 0;
  std::uint32_t rowsPerStrip = 0, tileWidth = 0, tileLength = 0;
  const std::uint32_t count = std::min<std::uint32_t>(U16(n, le), 4096);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint8_t e[12];
    if (!r.Read(ifd + 2 + 12 * std::uint64_t{i}, e, 12)) return Unreadable(PictureFormat::Tiff);
    const std::uint32_t tag = U16(e, le), type = U16(e + 2, le), values = U32(e + 4, le);
    std::uint32_t value = type == 3 ? U16(e + 8, le) : type == 4 ? U32(e + 8, le) : 0;
    if (tag == 258 && type == 3 && values > 2) {  // one size per sample, stored elsewhere; the first stands for all
      std::uint8_t v[2];
      value = r.Read(U32(e + 8, le), v, 2) ? U16(v, le) : 0;
    }
    switch (tag) {
      case 256: width = value; break;
      case 257: height = value; break;
      case 258: bitsPerSample = value; break;
      case 259: compression = value; break;
      case 262: photometric = value; break;
      case 277: samples = value; break;
      case 278: rowsPerStrip = value; break;
      case 322: tileWidth = value; break;
      case 323: tileLength = value; break;
      default: break;
    }
  }
  if (samples == 0 || samples > 16 || bitsPerSample == 0 || bitsPerSample > 64) return Unreadable(PictureFormat::Tiff);
  // YCbCr and JPEG-coded pictures are decoded to 32-bit RGBA.
  const std::uint32_t bits = photometric == 6 || compression == 6 || compression == 7 ? 32 : samples * bitsPerSample;
  const std::uint64_t piece = tileWidth > 0 && tileLength > 0
                                  ? RowsBytes(tileWidth, tileLength, bits)
                                  : RowsBytes(width, rowsPerStrip == 0 ? height : std::min(rowsPerStrip, height), bits);
  return Sized(PictureFormat::Tiff, width, height, 0, 2 * piece);
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
  if (std::memcmp(magic, "II*\0", 4) == 0 || std::memcmp(magic, "MM\0*", 4) == 0) return ReadTiff(r);
  return {};
}

PictureHeader JudgeSystemPicture(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) {
  return Sized(PictureFormat::System, width, height, 0, RowsBytes(width, height, std::max(bitsPerPixel, 32u)));
}

std::string PictureProblemText(const PictureHeader& header, const std::string& path) {
  switch (header.verdict) {
    case PictureVerdict::Accepted:
      return {};
    case PictureVerdict::TooLarge: {
      std::string text = "The picture\r\n" + path + "\r\nis too large to be used as a wallpaper: " +
                         Number(header.width) + " x " + Number(header.height) + " pixels.\r\n\r\n";
      if (header.width > kMaxPictureSide || header.height > kMaxPictureSide || header.largestPixels > kPixelBudget ||
          header.decodeBytes == 0)
        return text + "Pictures of up to 268 million pixels (16384 x 16384) can be used.";
      // Within the pixels, beyond the memory: say how far this kind goes.
      const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
      const std::uint64_t millions = pixels * (kDecodeMemoryBudget >> 20) / (header.decodeBytes >> 20) / 1000000;
      return text + "A picture of this kind needs more than 1 GB of memory to be read at this size; up to about " +
             Number(millions) + " million pixels of it can be used.";
    }
    case PictureVerdict::Truncated:
      return "The picture\r\n" + path + "\r\nis damaged: the file is shorter than the picture it describes.";
    case PictureVerdict::Unreadable:
      break;
  }
  return "The file\r\n" + path + "\r\nis not a picture that can be read (BMP, JPEG, GIF, PNG, TIFF, or a kind this system has a codec for).";
}

}  // namespace vd
