#include "engine/picture_header.h"

#include <gtest/gtest.h>

#include <string>

#include "support/byte_strings.h"

namespace vd {
namespace {

using bytes::Be16;
using bytes::Be32;
using bytes::Le16;
using bytes::Le32;
using bytes::Segment;

// A bitmap file header and info header; pixels follow when given.
std::string Bmp(int width, int height, int bits, unsigned compression, const std::string& pixels, unsigned offset = 54) {
  return "BM" + Le32(static_cast<unsigned>(offset + pixels.size())) + Le32(0) + Le32(offset) + Le32(40) +
         Le32(static_cast<unsigned>(width)) + Le32(static_cast<unsigned>(height)) + Le16(1) +
         Le16(static_cast<unsigned>(bits)) + Le32(compression) + Le32(0) + Le32(2835) + Le32(2835) + Le32(0) +
         Le32(0) + std::string(offset - 54, '\0') + pixels;
}

std::string Sof(unsigned marker, unsigned width, unsigned height) {
  return Segment(marker, std::string("\x08") + Be16(height) + Be16(width) + std::string("\x01\x01\x11\x00", 4));
}
const std::string kSoi = "\xFF\xD8";
const std::string kApp0 = Segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
const std::string kDqt = Segment(0xDB, std::string(65, '\x01'));
const std::string kSos = Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)) + "\x12\x34\xFF\xD9";

std::string Gif(unsigned width, unsigned height, const std::string& blocks, bool colourTable = true) {
  std::string g = "GIF89a" + Le16(width) + Le16(height) + (colourTable ? "\x81" : std::string("\x00", 1)) + "\0\0";
  g.resize(13);
  if (colourTable) g += std::string(12, '\x7F');  // 4 colours
  return g + blocks + ";";
}
std::string GifFrame(unsigned left, unsigned top, unsigned width, unsigned height) {
  return "," + Le16(left) + Le16(top) + Le16(width) + Le16(height) + std::string("\0\x02\x02\x4C\x01\0", 6);
}
const std::string kGifExtension = std::string("!\xF9\x04\x01\x0A\x00\x00\x00", 8);

// A PNG chunk (its CRC left 0: the reader does not check it).
std::string Chunk(const char* type, const std::string& data) {
  return Be32(static_cast<unsigned>(data.size())) + type + data + Be32(0);
}
std::string Png(unsigned width, unsigned height, char depth = 8, char colour = 6, const std::string& chunks = "",
                std::size_t idatBytes = 4096) {
  return std::string("\x89PNG\r\n\x1A\n", 8) + Be32(13) + "IHDR" + Be32(width) + Be32(height) + depth + colour +
         std::string("\0\0\0", 3) + Be32(0) + chunks + Chunk("IDAT", std::string(idatBytes, '\0')) + Chunk("IEND", "");
}

// The head of a PNG whose data chunk claims 2 GB: a source of a given file
// size supplies as much of it as the file holds.
std::string PngHead(unsigned width, unsigned height, char depth, char colour, const std::string& chunks = "") {
  return Png(width, height, depth, colour, chunks, 0).substr(0, 33 + chunks.size()) + Be32(0x7FFFFFFF) + "IDAT";
}

PictureHeader Read(const std::string& bytes) {
  MemorySource source(bytes.data(), bytes.size());
  return ReadPictureHeader(source);
}

// The bytes, then zeros up to fileSize (0: the bytes alone).
PictureHeader ReadSized(const std::string& bytes, std::uint64_t fileSize);
// Large enough to hold the pixels any accepted header claims.
constexpr std::uint64_t kRoomyFile = std::uint64_t{1} << 30;

void ExpectHeader(const std::string& bytes, PictureFormat format, PictureVerdict verdict, std::uint32_t width,
                  std::uint32_t height, std::uint64_t fileSize = 0) {
  const PictureHeader h = ReadSized(bytes, fileSize);
  EXPECT_EQ(h.format, format);
  EXPECT_EQ(h.verdict, verdict);
  EXPECT_EQ(h.width, width);
  EXPECT_EQ(h.height, height);
}

TEST(PictureHeaderTest, JpegSizeComesFromTheFrameHeaderWhereverItIs) {
  const auto j = PictureFormat::Jpeg;
  ExpectHeader(kSoi + kApp0 + kDqt + Sof(0xC0, 640, 480) + kSos, j, PictureVerdict::Accepted, 640, 480, kRoomyFile);
  ExpectHeader(kSoi + Sof(0xC2, 6000, 4000) + kSos, j, PictureVerdict::Accepted, 6000, 4000, kRoomyFile);  // progressive
  // Many APP segments (an ICC profile in pieces), fill bytes and junk before a marker.
  std::string many = kSoi;
  for (int i = 0; i < 300; ++i) many += Segment(0xE2, std::string(1000, 'p'));
  ExpectHeader(many + "\xFF\xFF\xFF" + kDqt + "junk" + Sof(0xC1, 100, 50) + kSos, j, PictureVerdict::Accepted, 100, 50);
  // DHT, JPG and DAC share the range of frame markers but are none.
  ExpectHeader(kSoi + Segment(0xC4, "xx") + Segment(0xC8, "") + Segment(0xCC, "ab") + Sof(0xC3, 7, 9) + kSos, j,
               PictureVerdict::Accepted, 7, 9);

  ExpectHeader(kSoi + kApp0 + Sof(0xC0, 65500, 65500) + kSos, j, PictureVerdict::TooLarge, 65500, 65500);
  ExpectHeader(kSoi + Sof(0xC0, 20000, 20000) + kSos, j, PictureVerdict::TooLarge, 20000, 20000);
  ExpectHeader(kSoi + Sof(0xC0, 16384, 16384) + kSos, j, PictureVerdict::Accepted, 16384, 16384, kRoomyFile);  // the budget
  ExpectHeader(kSoi + Sof(0xC0, 16384, 16385) + kSos, j, PictureVerdict::TooLarge, 16384, 16385);
  ExpectHeader(kSoi + Sof(0xC0, 65535, 4096) + kSos, j, PictureVerdict::Accepted, 65535, 4096, kRoomyFile);  // a panorama

  for (const std::string& bad : {kSoi + kApp0 + kSos,                          // scan before any frame header
                                 kSoi + kApp0,                                  // ends before it
                                 kSoi + Sof(0xC0, 640, 0) + kSos,               // height left to a DNL marker
                                 kSoi + Segment(0xC0, "\x08\x01") + kSos,       // frame header cut short
                                 kSoi + std::string("\xFF\xE0\x00\x01", 4) + Sof(0xC0, 1, 1),  // length below 2
                                 kSoi + std::string(70000, 'j') + Sof(0xC0, 1, 1)}) {
    EXPECT_EQ(Read(bad).verdict, PictureVerdict::Unreadable);
  }
}

TEST(PictureHeaderTest, BitmapSizeAndShortFiles) {
  const auto b = PictureFormat::Bmp;
  ExpectHeader(Bmp(3, 2, 24, 0, std::string(2 * 12, 'x')), b, PictureVerdict::Accepted, 3, 2);
  ExpectHeader(Bmp(3, -2, 24, 0, std::string(2 * 12, 'x')), b, PictureVerdict::Accepted, 3, 2);  // top-down
  ExpectHeader(Bmp(3, 2, 24, 0, std::string(12 + 9, 'x')), b, PictureVerdict::Accepted, 3, 2);   // last row unpadded
  ExpectHeader(Bmp(9, 1, 1, 0, std::string(2, 'x')), b, PictureVerdict::Accepted, 9, 1);
  ExpectHeader(Bmp(2, 2, 32, 3, std::string(16, 'x'), 66), b, PictureVerdict::Accepted, 2, 2);  // bit fields
  // Claims more rows than the file holds.
  ExpectHeader(Bmp(3, 2, 24, 0, std::string(12 + 8, 'x')), b, PictureVerdict::Truncated, 3, 2);
  ExpectHeader(Bmp(4000, 3000, 24, 0, std::string(46, 'x')), b, PictureVerdict::Truncated, 4000, 3000);
  ExpectHeader(Bmp(2, 2, 32, 3, std::string(16, 'x'), 66).substr(0, 70), b, PictureVerdict::Truncated, 2, 2);
  // Compressed rows have no size to check; the budget still holds.
  ExpectHeader(Bmp(4000, 3000, 8, 1, std::string(46, 'x')), b, PictureVerdict::Accepted, 4000, 3000);
  // The 154-byte bitmap that claims 65535 x 65535.
  const std::string bomb = Bmp(65535, 65535, 24, 0, std::string(100, 'x'));
  ASSERT_EQ(bomb.size(), 154u);
  ExpectHeader(bomb, b, PictureVerdict::TooLarge, 65535, 65535);
  ExpectHeader(Bmp(30000, 30000, 24, 0, std::string(100, 'x')), b, PictureVerdict::TooLarge, 30000, 30000);
  ExpectHeader(Bmp(70000, 2, 1, 0, std::string(20000, 'x')), b, PictureVerdict::TooLarge, 70000, 2);
  ExpectHeader(Bmp(2, static_cast<int>(0x80000000u), 1, 1, ""), b, PictureVerdict::TooLarge, 2, 0x80000000u);
  // OS/2 core header with 16-bit sides.
  ExpectHeader("BM" + Le32(26 + 8) + Le32(0) + Le32(26) + Le32(12) + Le16(2) + Le16(2) + Le16(1) + Le16(24) +
                   std::string(16, 'x'),
               b, PictureVerdict::Accepted, 2, 2);

  for (const std::string& bad : {Bmp(0, 2, 24, 0, "xx"), Bmp(-3, 2, 24, 0, "xx"), Bmp(3, 0, 24, 0, "xx"),
                                 std::string("BM") + Le32(0), "BM" + Le32(0) + Le32(0) + Le32(0) + Le32(99999)}) {
    EXPECT_EQ(Read(bad).verdict, PictureVerdict::Unreadable);
  }
}

TEST(PictureHeaderTest, GifScreenAndEveryFrameMustFit) {
  const auto g = PictureFormat::Gif;
  ExpectHeader(Gif(64, 48, kGifExtension + GifFrame(0, 0, 64, 48)), g, PictureVerdict::Accepted, 64, 48);
  ExpectHeader(Gif(64, 48, GifFrame(0, 0, 1, 1), false), g, PictureVerdict::Accepted, 64, 48);
  ExpectHeader(Gif(0, 0, GifFrame(0, 0, 32, 16)), g, PictureVerdict::Accepted, 32, 16);  // screen from the frame
  ExpectHeader(Gif(30000, 30000, GifFrame(0, 0, 1, 1)), g, PictureVerdict::TooLarge, 30000, 30000);
  // A small screen with a huge frame further on: decoders that read every frame allocate it.
  const std::string frames = GifFrame(0, 0, 8, 8) + kGifExtension + GifFrame(0, 0, 8, 8) + GifFrame(0, 0, 20000, 20000);
  const PictureHeader late = Read(Gif(8, 8, frames));
  EXPECT_EQ(late.verdict, PictureVerdict::TooLarge);
  EXPECT_EQ(late.largestPixels, 400000000u);
  // A file cut short after its first frame is judged by what it holds.
  ExpectHeader(Gif(64, 48, GifFrame(0, 0, 64, 48)).substr(0, 40), g, PictureVerdict::Accepted, 64, 48);

  EXPECT_EQ(Read(Gif(64, 48, kGifExtension)).verdict, PictureVerdict::Unreadable);  // no frame
  EXPECT_EQ(Read("GIF89a\x01").verdict, PictureVerdict::Unreadable);
}

TEST(PictureHeaderTest, PngSizeFromItsHeaderChunkAndUnknownFilesAreUnreadable) {
  ExpectHeader(Png(800, 600), PictureFormat::Png, PictureVerdict::Accepted, 800, 600);
  ExpectHeader(Png(30000, 30000), PictureFormat::Png, PictureVerdict::TooLarge, 30000, 30000);
  EXPECT_EQ(Read(Png(0, 600)).verdict, PictureVerdict::Unreadable);
  EXPECT_EQ(Read(Png(0x80000000u, 1)).verdict, PictureVerdict::Unreadable);
  std::string chunk = Png(800, 600);
  chunk[12] = 'X';
  EXPECT_EQ(Read(chunk).verdict, PictureVerdict::Unreadable);

  for (const std::string& other :
       {std::string(), std::string("B"), std::string("\0\0\1\0", 4), std::string("this is not a jpeg")}) {
    const PictureHeader h = Read(other);
    EXPECT_EQ(h.format, PictureFormat::Unknown);
    EXPECT_EQ(h.verdict, PictureVerdict::Unreadable);
  }
}

// Counts what is read: the reader must look at the header, not the file.
class CountingSource : public ByteSource {
 public:
  explicit CountingSource(std::string head, std::uint64_t size) : head_(std::move(head)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t n) override {
    ++reads;
    if (offset >= size_) return 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset));
    auto* o = static_cast<char*>(out);
    for (std::size_t i = 0; i < count; ++i) o[i] = offset + i < head_.size() ? head_[offset + i] : '\0';
    bytes += count;
    return count;
  }
  int reads = 0;
  std::uint64_t bytes = 0;

 private:
  std::string head_;
  std::uint64_t size_;
};

TEST(PictureHeaderTest, ReadsOnlyTheHeaderOfAHugeFile) {
  CountingSource jpeg(kSoi + kApp0 + Sof(0xC0, 4000, 3000), std::uint64_t{1} << 40);
  EXPECT_EQ(ReadPictureHeader(jpeg).verdict, PictureVerdict::Accepted);
  EXPECT_LE(jpeg.bytes, 8192u);
  // Segments that skip far ahead cost one read each.
  CountingSource far(kSoi + "\xFF\xE1\xFF\xFF", std::uint64_t{1} << 40);
  EXPECT_EQ(ReadPictureHeader(far).verdict, PictureVerdict::Unreadable);  // zeros after it: junk, then given up
  EXPECT_LE(far.reads, 40);
  CountingSource bmp(Bmp(8000, 6000, 24, 0, ""), std::uint64_t{1} << 32);
  EXPECT_EQ(ReadPictureHeader(bmp).verdict, PictureVerdict::Accepted);
  EXPECT_LE(bmp.bytes, 4096u);
}

PictureHeader ReadSized(const std::string& bytes, std::uint64_t fileSize) {
  CountingSource source(bytes, fileSize ? fileSize : bytes.size());
  return ReadPictureHeader(source);
}

std::string Tiff(bool littleEndian, unsigned width, unsigned height, unsigned samples, unsigned rowsPerStrip) {
  auto u16 = [&](unsigned v) { return littleEndian ? Le16(v) : Be16(v); };
  auto u32 = [&](unsigned v) { return littleEndian ? Le32(v) : Be32(v); };
  auto entry = [&](unsigned tag, unsigned value) { return u16(tag) + u16(4) + u32(1) + u32(value); };
  return (littleEndian ? "II" : "MM") + u16(42) + u32(8) + u16(5) + entry(256, width) + entry(257, height) +
         u16(258) + u16(3) + u32(1) + u16(8) + u16(0) + entry(277, samples) + entry(278, rowsPerStrip) + u32(0);
}

// A JPEG frame header: its marker, components and their sampling factors.
std::string Frame(unsigned marker, unsigned side, const std::string& sampling) {
  std::string body = "\x08" + Be16(side) + Be16(side) + static_cast<char>(sampling.size());
  for (std::size_t i = 0; i < sampling.size(); ++i) body += std::string{static_cast<char>(i + 1), sampling[i], '\0'};
  return kSoi + Segment(marker, body) + kSos;
}

TEST(PictureHeaderTest, MemoryTheDecoderNeedsIsBoundedByKind) {
  const std::string flat = std::string(4, '\x11');
  std::string eightFrames;
  for (int i = 0; i < 8; ++i) eightFrames += GifFrame(0, 0, 16384, 16384);
  struct Case {
    const char* kind;
    std::string bytes;
    PictureVerdict verdict;
    std::uint64_t fileSize = kRoomyFile;  // the file's size counts for bitmaps, JPEG and PNG
  };
  const Case cases[] = {
      {"plain JPEG (3 bytes a pixel)", Frame(0xC0, 16384, "\x22\x11\x11"), PictureVerdict::Accepted},
      {"plain CMYK JPEG (4)", Frame(0xC0, 16384, flat), PictureVerdict::TooLarge},
      {"plain CMYK JPEG, smaller", Frame(0xC0, 16000, flat), PictureVerdict::Accepted},
      {"progressive CMYK JPEG (12)", Frame(0xC2, 16384, flat), PictureVerdict::TooLarge},
      {"progressive CMYK JPEG, smaller", Frame(0xC2, 9000, flat), PictureVerdict::Accepted},
      {"progressive 4:2:0 JPEG (6)", Frame(0xC2, 16384, "\x22\x11\x11"), PictureVerdict::TooLarge},
      {"progressive grey JPEG (3)", Frame(0xC2, 16384, "\x11"), PictureVerdict::Accepted},
      {"16-bit RGBA PNG (8)", PngHead(16384, 16384, 16, 6), PictureVerdict::TooLarge},
      {"16-bit grey PNG (2)", PngHead(16384, 16384, 16, 0), PictureVerdict::Accepted},
      {"8-bit RGB PNG (3)", PngHead(16384, 16384, 8, 2), PictureVerdict::Accepted},
      {"8-bit RGB PNG with transparency (4)", PngHead(16384, 16384, 8, 2, Be32(6) + "tRNS" + std::string(10, '\0')),
       PictureVerdict::TooLarge},
      {"palette PNG (1)", PngHead(16384, 16384, 8, 3), PictureVerdict::Accepted},
      {"8-frame GIF: the first frame only", Gif(16384, 16384, eightFrames), PictureVerdict::Accepted},
      {"24-bit BMP", Bmp(16384, 16384, 24, 0, ""), PictureVerdict::Accepted, 54 + 49152ull * 16384},
      {"32-bit BMP", Bmp(16384, 16384, 32, 0, ""), PictureVerdict::TooLarge, 54 + 65536ull * 16384},
      {"RLE BMP (4, and its data)", Bmp(16384, 16384, 8, 1, ""), PictureVerdict::TooLarge, 2000000},
      {"RLE BMP, smaller", Bmp(12000, 12000, 8, 1, ""), PictureVerdict::Accepted, 2000000},
      {"TIFF in strips", Tiff(true, 16384, 16384, 3, 16), PictureVerdict::Accepted},
      {"TIFF in one strip", Tiff(false, 16384, 16384, 3, 16384), PictureVerdict::TooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    CountingSource source(c.bytes, c.fileSize);
    const PictureHeader h = ReadPictureHeader(source);
    EXPECT_EQ(h.verdict, c.verdict) << h.decodeBytes;
    EXPECT_EQ(h.verdict == PictureVerdict::TooLarge, h.decodeBytes > kDecodeMemoryBudget);
  }

  const PictureHeader gif = Read(Gif(64, 48, kGifExtension + GifFrame(0, 0, 64, 48) + GifFrame(0, 0, 64, 48)));
  EXPECT_EQ(gif.firstFrameEnd, 13u + 12u + 8u + GifFrame(0, 0, 64, 48).size());
  ExpectHeader(Tiff(false, 640, 480, 3, 8), PictureFormat::Tiff, PictureVerdict::Accepted, 640, 480);
  ExpectHeader(Tiff(true, 0, 480, 3, 8), PictureFormat::Tiff, PictureVerdict::Unreadable, 0, 480);
  EXPECT_EQ(JudgeSystemPicture(16384, 16384, 32).verdict, PictureVerdict::TooLarge);
  EXPECT_EQ(JudgeSystemPicture(8000, 6000, 24).verdict, PictureVerdict::Accepted);
  // PNG headers that lie: no such colour type and depth, unknown methods.
  for (const std::string& lie : {Png(64, 64, 16, 3), Png(64, 64, 4, 2), Png(64, 64, 8, 5), Png(64, 64, 3, 0),
                                 Png(64, 64, 8, 6).replace(28, 1, "\x02")})
    EXPECT_EQ(Read(lie).verdict, PictureVerdict::Unreadable);
}

TEST(PictureHeaderTest, SmallFilesCannotClaimTheBlocksOrScanlinesOfHugePictures) {
  const auto jpeg = PictureFormat::Jpeg;
  const auto cut = PictureVerdict::Truncated;
  // Huffman coding spends a bit on each 8 x 8 block of the first component:
  // 16384 x 16384 is 2048 x 2048 blocks, 524,288 bytes at least.
  const std::string plain = Frame(0xC0, 16384, "\x11\x11\x11");
  ExpectHeader(plain, jpeg, cut, 16384, 16384, 48 * 1024);
  ExpectHeader(plain, jpeg, cut, 16384, 16384, 524287);
  ExpectHeader(plain, jpeg, PictureVerdict::Accepted, 16384, 16384, 524288);
  // A first component sampled at half the others' rate has a quarter of the blocks.
  const std::string halfFirst = Frame(0xC0, 16384, "\x11\x22\x22");
  ExpectHeader(halfFirst, jpeg, cut, 16384, 16384, 131071);
  ExpectHeader(halfFirst, jpeg, PictureVerdict::Accepted, 16384, 16384, 131072);
  ExpectHeader(Frame(0xC1, 16384, "\x11"), jpeg, cut, 16384, 16384, 524287);  // extended Huffman
  // Progressive files code every block's DC first: the 48 KB CMYK one
  // claiming 10000 x 10000 (its first component 2 x 2, so within the memory
  // estimate) needs 1250 x 1250 bits.
  const std::string cmyk = Frame(0xC2, 10000, "\x22\x11\x11\x11");
  ExpectHeader(cmyk, jpeg, cut, 10000, 10000, 48 * 1024);
  ExpectHeader(cmyk, jpeg, cut, 10000, 10000, 195312);
  ExpectHeader(cmyk, jpeg, PictureVerdict::Accepted, 10000, 10000, 195313);
  // Arithmetic coding has no such floor; too large stays too large, however small.
  ExpectHeader(Frame(0xC9, 16384, "\x11"), jpeg, PictureVerdict::Accepted, 16384, 16384, 48 * 1024);
  ExpectHeader(Frame(0xC0, 20000, "\x11"), jpeg, PictureVerdict::TooLarge, 20000, 20000, 1000);
  EXPECT_EQ(PictureProblemText(ReadSized(plain, 48 * 1024), "C:\\claims.jpg"),
            "The picture\r\nC:\\claims.jpg\r\nis damaged: the file is shorter than the picture it describes.");

  // Deflate shrinks at most 1032 : 1: 16384 rows of 1 + 3 x 16384 bytes are
  // 805,322,752 bytes, which need 780,352 bytes of compressed data.
  const auto png = PictureFormat::Png;
  ExpectHeader(Png(16384, 16384, 8, 2, "", 780351), png, cut, 16384, 16384);
  ExpectHeader(Png(16384, 16384, 8, 2, "", 780352), png, PictureVerdict::Accepted, 16384, 16384);
  // Only the data chunks count, however many there are; a text chunk does not.
  const std::string head = Png(16384, 16384, 8, 2, "", 0).substr(0, 33);
  const std::string half = Chunk("IDAT", std::string(390176, '\0'));
  const std::string shortHalf = Chunk("IDAT", std::string(390175, '\0'));
  const std::string text = Chunk("tEXt", std::string(500000, 't'));
  ExpectHeader(head + half + text + shortHalf + Chunk("IEND", ""), png, cut, 16384, 16384);
  ExpectHeader(head + half + text + half + Chunk("IEND", ""), png, PictureVerdict::Accepted, 16384, 16384);
  // A data chunk that claims more than the file holds counts what it holds.
  ExpectHeader(head + Be32(780352) + "IDAT" + std::string(1000, '\0'), png, cut, 16384, 16384);
  // Rows as stored: palette pictures have a byte a pixel; 16-bit grey and
  // 8-bit grey with alpha two.
  ExpectHeader(Png(8000, 8000, 8, 3, "", 62000), png, cut, 8000, 8000);
  ExpectHeader(Png(8000, 8000, 8, 3, "", 62100), png, PictureVerdict::Accepted, 8000, 8000);
  ExpectHeader(Png(8000, 8000, 16, 0, "", 124000), png, cut, 8000, 8000);
  ExpectHeader(Png(8000, 8000, 16, 0, "", 124100), png, PictureVerdict::Accepted, 8000, 8000);
  ExpectHeader(Png(8000, 8000, 8, 4, "", 124000), png, cut, 8000, 8000);
  ExpectHeader(Png(8000, 8000, 8, 4, "", 124100), png, PictureVerdict::Accepted, 8000, 8000);
}

TEST(PictureHeaderTest, ProblemTextsNameThePathAndTheReason) {
  PictureHeader h = Read(kSoi + Sof(0xC0, 65500, 65500) + kSos);
  EXPECT_EQ(PictureProblemText(h, "C:\\bomb.jpg"),
            "The picture\r\nC:\\bomb.jpg\r\nis too large to be used as a wallpaper: 65500 x 65500 pixels.\r\n\r\n"
            "Pictures of up to 268 million pixels (16384 x 16384) can be used.");
  h = Read(Bmp(4000, 3000, 24, 0, "xx"));
  EXPECT_EQ(PictureProblemText(h, "C:\\cut.bmp"),
            "The picture\r\nC:\\cut.bmp\r\nis damaged: the file is shorter than the picture it describes.");
  EXPECT_EQ(PictureProblemText(Read("text"), "C:\\a.gif"),
            "The file\r\nC:\\a.gif\r\nis not a picture that can be read (BMP, JPEG, GIF, PNG, TIFF, or a kind this "
            "system has a codec for).");
  // Within the pixels but beyond the memory: how far this kind goes.
  EXPECT_EQ(PictureProblemText(Read(Png(16384, 16384, 16, 6)), "C:\\deep.png"),
            "The picture\r\nC:\\deep.png\r\nis too large to be used as a wallpaper: 16384 x 16384 pixels.\r\n\r\n"
            "A picture of this kind needs more than 1 GB of memory to be read at this size; up to about 133 million "
            "pixels of it can be used.");
  EXPECT_EQ(PictureProblemText(Read(Png(10, 10)), "C:\\ok.png"), "");
}

}  // namespace
}  // namespace vd
