// Pictures for the end-to-end tests: files made with WIC, the saved
// wallpaper bitmap read back, and the pixels the desktop really shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Writes a width x height picture whose pixel (x, y) is colour(x, y) (0x00RRGGBB),
// in the format named by the extension: "bmp", "jpg", "gif", "png" or "tif".
bool MakePicture(const std::string& path, int width, int height, const std::string& format,
                 std::uint32_t (*colour)(int x, int y));
bool MakeSolidPicture(const std::string& path, int width, int height, const std::string& format, std::uint32_t rgb);
// A PNG with an alpha channel; pixel (x, y) is argb(x, y) (0xAARRGGBB, not premultiplied).
bool MakeAlphaPng(const std::string& path, int width, int height, std::uint32_t (*argb)(int x, int y));
// A JPEG of one colour of any size, encoded in strips so that even a huge one
// needs little memory; progressive is left to the encoder's default.
bool MakeLargeJpeg(const std::string& path, int width, int height, std::uint32_t rgb);

// A 32- or 24-bit BMP file read back; pixels as 0x00RRGGBB, top row first.
struct Bitmap {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
std::optional<Bitmap> ReadBmp(const std::string& path);

// The colour the screen shows at (x, y), as 0x00RRGGBB.
std::uint32_t ScreenPixel(int x, int y);
// The screen's pixels in a rectangle, as 0x00RRGGBB, row by row.
std::vector<std::uint32_t> CaptureScreen(const RECT& r);

// Channel distance between two colours (the largest of the three).
int ColourDistance(std::uint32_t a, std::uint32_t b);
inline bool IsGrey(std::uint32_t c, int tolerance = 0) {
  int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
  return std::abs(r - g) <= tolerance && std::abs(g - b) <= tolerance;
}

// A user's double-click on an entry of a list box in another process.
void DoubleClickListItem(HWND listBox, int index);
// A user's single click on an entry.
void ClickListItem(HWND listBox, int index);

}  // namespace e2e
