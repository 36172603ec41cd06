// Pictures and canvases shared by the pixel tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "engine/image.h"

namespace vd::test {

using Bgra = std::array<int, 4>;

// A picture whose every pixel tells where it came from: blue = x, green = y,
// red and the 4th byte as given.
inline Image CodedImage(int w, int h, std::uint8_t red, std::uint8_t fourth) {
  Image img(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = img.View().Pixel(x, y);
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = red;
      p[3] = fourth;
    }
  }
  return img;
}

// A canvas with padded rows, every byte set to fill, so tests see what is
// written and that nothing is written past a row's end.
struct PaddedCanvas {
  PaddedCanvas(int w, int h, int padBytes, std::uint8_t fillByte)
      : width(w), height(h), pad(padBytes), fill(fillByte), stride(4 * w + padBytes),
        bytes(static_cast<std::size_t>(stride) * h, fillByte) {}
  ImageView View() { return {bytes.data(), width, height, stride}; }
  Bgra At(int x, int y) {
    const std::uint8_t* p = View().Pixel(x, y);
    return {p[0], p[1], p[2], p[3]};
  }
  void Paint(const Bgra& c) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        for (int i = 0; i < 4; ++i) View().Pixel(x, y)[i] = static_cast<std::uint8_t>(c[static_cast<std::size_t>(i)]);
      }
    }
  }
  void ExpectPaddingUntouched() {
    for (int y = 0; y < height; ++y) {
      for (int i = 0; i < pad; ++i) ASSERT_EQ(View().Row(y)[4 * width + i], fill) << "row " << y;
    }
  }
  int width, height, pad;
  std::uint8_t fill;
  std::ptrdiff_t stride;
  std::vector<std::uint8_t> bytes;
};

}  // namespace vd::test
