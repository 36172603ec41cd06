// Pixel buffers: top-down 32-bit BGRA, the memory layout of a 32-bpp DIB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vd {

struct ImageView {
  std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;  // bytes from one row to the next

  std::uint8_t* Row(int y) const { return data + stride * y; }
  std::uint8_t* Pixel(int x, int y) const { return Row(y) + 4 * static_cast<std::ptrdiff_t>(x); }
  bool Empty() const { return data == nullptr || width <= 0 || height <= 0; }
};

struct ConstImageView {
  const std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;

  ConstImageView() = default;
  ConstImageView(const std::uint8_t* d, int w, int h, std::ptrdiff_t s) : data(d), width(w), height(h), stride(s) {}
  ConstImageView(const ImageView& v) : data(v.data), width(v.width), height(v.height), stride(v.stride) {}  // NOLINT

  const std::uint8_t* Row(int y) const { return data + stride * y; }
  const std::uint8_t* Pixel(int x, int y) const { return Row(y) + 4 * static_cast<std::ptrdiff_t>(x); }
  bool Empty() const { return data == nullptr || width <= 0 || height <= 0; }
};

// An owned BGRA image with tightly packed rows, zero-filled on creation.
class Image {
 public:
  Image() = default;
  Image(int width, int height)
      : width_(width > 0 ? width : 0),
        height_(height > 0 ? height : 0),
        pixels_(width_ && height_ ? new std::uint8_t[static_cast<std::size_t>(width_) * height_ * 4]() : nullptr) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return !pixels_; }
  std::size_t SizeBytes() const { return static_cast<std::size_t>(width_) * height_ * 4; }
  ImageView View() { return {pixels_.get(), width_, height_, static_cast<std::ptrdiff_t>(width_) * 4}; }
  ConstImageView View() const { return {pixels_.get(), width_, height_, static_cast<std::ptrdiff_t>(width_) * 4}; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<std::uint8_t[]> pixels_;
};

}  // namespace vd
