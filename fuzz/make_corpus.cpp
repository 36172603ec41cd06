// Writes the starting inputs of each fuzz driver: pictures whose headers give
// sizes of billions of pixels, bitmaps cut short, GIFs with a giant late
// frame, good pictures beside them, list files, command texts and stored
// setting texts.
// Usage: make_corpus <folder>; it fills <folder>/<target>/.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/byte_strings.h"

namespace {

using bytes::Be16;
using bytes::Be32;
using bytes::Le16;
using bytes::Le32;
using bytes::Segment;

std::string Jpeg(unsigned sof, unsigned width, unsigned height, std::size_t scan) {
  return "\xFF\xD8" + Segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14)) +
         Segment(0xDB, std::string(1, '\0') + std::string(64, '\x01')) +
         Segment(sof, std::string("\x08", 1) + Be16(height) + Be16(width) + std::string("\x01\x01\x11\x00", 4)) +
         Segment(0xC4, std::string(18, '\0')) + Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)) +
         std::string(scan, '\0') + "\xFF\xD9";
}

std::string Bmp(unsigned width, unsigned height, unsigned bits, unsigned compression, std::size_t data) {
  return "BM" + Le32(static_cast<unsigned>(54 + data)) + Le32(0) + Le32(54) + Le32(40) + Le32(width) + Le32(height) +
         Le16(1) + Le16(bits) + Le32(compression) + Le32(0) + Le32(2835) + Le32(2835) + Le32(0) + Le32(0) +
         std::string(data, '\x7F');
}

std::string GifFrame(unsigned width, unsigned height) {
  return "," + Le32(0) + Le16(width) + Le16(height) + std::string("\0\x02\x02\x4C\x01\0", 6);
}
std::string Gif(unsigned width, unsigned height, const std::string& frames) {
  return "GIF89a" + Le16(width) + Le16(height) + std::string("\x80\0\0", 3) + std::string(6, '\x40') +
         std::string("!\xF9\x04\x01\x0A\x00\x00\x00", 8) + frames + ";";
}

std::string Png(unsigned width, unsigned height) {
  return std::string("\x89PNG\r\n\x1A\n", 8) + Be32(13) + "IHDR" + Be32(width) + Be32(height) +
         std::string("\x08\x06\0\0\0", 5) + Be32(0) + Be32(4) + "IDAT" + std::string(4, '\0') + Be32(0) + Be32(0) +
         "IEND" + Be32(0);
}

void Write(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path root = argv[1];
  const auto pictures = root / "picture_header";
  Write(pictures, "jpeg-65500.jpg", Jpeg(0xC0, 65500, 65500, 10000));
  Write(pictures, "jpeg-20000.jpg", Jpeg(0xC0, 20000, 20000, 200));
  Write(pictures, "jpeg-progressive.jpg", Jpeg(0xC2, 6000, 4000, 200));
  Write(pictures, "jpeg-budget.jpg", Jpeg(0xC0, 16384, 16384, 16));
  Write(pictures, "jpeg-dnl.jpg", Jpeg(0xC0, 640, 0, 16));
  Write(pictures, "jpeg-small.jpg", Jpeg(0xC0, 64, 48, 16));
  Write(pictures, "bmp-65535.bmp", Bmp(65535, 65535, 24, 0, 100));
  Write(pictures, "bmp-30000.bmp", Bmp(30000, 30000, 24, 0, 100));
  Write(pictures, "bmp-short.bmp", Bmp(4000, 3000, 24, 0, 5000));
  Write(pictures, "bmp-rle.bmp", Bmp(4000, 3000, 8, 1, 500));
  Write(pictures, "bmp-small.bmp", Bmp(3, 2, 24, 0, 24));
  Write(pictures, "gif-30000.gif", Gif(30000, 30000, GifFrame(1, 1)));
  Write(pictures, "gif-late-frame.gif", Gif(8, 8, GifFrame(8, 8) + GifFrame(20000, 20000)));
  Write(pictures, "gif-small.gif", Gif(64, 48, GifFrame(64, 48)));
  Write(pictures, "png-30000.png", Png(30000, 30000));
  Write(pictures, "png-small.png", Png(16, 16));
  Write(pictures, "png-claims.png", Png(800, 600));
  // A TIFF's first page: width, height, 8 bits a sample, 3 samples, 16 rows a strip.
  auto entry = [](unsigned tag, unsigned type, unsigned value) { return Le16(tag) + Le16(type) + Le32(1) + Le32(value); };
  Write(pictures, "tiff-small.tif",
        std::string("II*\0\x08\0\0\0", 8) + Le16(5) + entry(256, 4, 640) + entry(257, 4, 480) + entry(258, 3, 8) +
            entry(277, 3, 3) + entry(278, 4, 16) + Le32(0));

  // A camera's head: JFIF, then APP1 "Exif" with IFD0 holding Orientation 6,
  // in both byte orders.
  const auto orientation = root / "orientation";
  for (const bool big : {false, true}) {
    const std::string tiff = big ? std::string("MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 26)
                                 : std::string("II\x2A\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 26);
    const std::string app1 = std::string("Exif\0\0", 6) + tiff;
    const std::string jfif("\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 18);
    Write(orientation, big ? "exif-mm.jpg" : "exif-ii.jpg",
          "\xFF\xD8" + jfif + "\xFF\xE1" + std::string(1, '\0') + std::string(1, char(app1.size() + 2)) + app1 +
              "\xFF\xDA\0\x02");
  }

  const auto lists = root / "list_file";
  Write(lists, "plain.vdl", "C:\\Pics\\a.jpg\r\nC:\\Pics\\b.GIF\r\nC:\\Pics\\missing.jpg\r\n");
  Write(lists, "mixed-ends.vdl", "C:\\x.jpg\rC:\\Pics\\c.bmp\nC:\\Pics\\d.jpeg\r\n\r\n");
  Write(lists, "legacy.vdl", "C:\\Pics\\\xE9t\xE9.jpg\r\n\xEF\xBB\xBF" "C:\\x.jpg\r\n");
  Write(lists, "odd.vdl", std::string("C:\\Pics\\hidden.jpg\r\nC:\\Pics\\folder.jpg\r\nC:\\x.jpg\0.txt\r\n", 56));

  const auto commands = root / "command_paths";
  Write(commands, "image", "-i C:\\PROGRA~1\\AB~1.JPG");
  Write(commands, "dots", "C:\\x\\lists\\.\\..\\lists\\a.vdl");
  Write(commands, "quoted", "\"C:\\Program Files\\VD.exe\" -l C:\\x\\lists\\a.vdl");
  Write(commands, "root", "C:\\..\\..\\Program Files\\");

  const auto settings = root / "settings";
  Write(settings, "numbers", std::string("10\0 5 \0-1\0001.5\0002.5\0abc\0300\0+7\0016777215\0", 36));
  Write(settings, "huge", "99999999999999999999999999999999999999");
  return 0;
}
