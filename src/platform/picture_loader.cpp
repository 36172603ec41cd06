#include "platform/picture_loader.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/picture_header.h"
#include "engine/resample.h"
#include "forms/handles.h"

namespace platform {
namespace {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  T** Put() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

IWICImagingFactory* Factory() {
  static IWICImagingFactory* factory = [] {
    IWICImagingFactory* f = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&f))))
      f = nullptr;
    return f;  // kept for the whole run
  }();
  return factory;
}

std::wstring Wide(const std::string& s) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  w.resize(w.size() - 1);
  return w;
}

constexpr int kStripRows = 64;

class FileSource final : public vd::ByteSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {
    LARGE_INTEGER size;
    size_ = ::GetFileSizeEx(file, &size) && size.QuadPart > 0 ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t n) override {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(file_, out, static_cast<DWORD>(n), &got, &at)) return 0;
    return got;
  }

 private:
  HANDLE file_;
  std::uint64_t size_ = 0;
};

// The header's verdict; nullopt when the file cannot be opened.
std::optional<vd::PictureHeader> ReadHeaderOf(const std::string& path) {
  forms::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  FileSource source(file.Get());
  return vd::ReadPictureHeader(source);
}

}  // namespace

std::string PictureProblem(const std::string& path) {
  const auto header = ReadHeaderOf(path);
  if (!header) return "The picture\r\n" + path + "\r\ncannot be opened.";
  return vd::PictureProblemText(*header, path);
}

Picture LoadPicture(const std::string& path, int maxWidth, int maxHeight) {
  return LoadPicture(path, [&](int width, int height) {
    vd::PicturePart whole;
    whole.width = width;
    whole.height = height;
    whole.maxWidth = maxWidth;
    whole.maxHeight = maxHeight;
    return whole;
  });
}

Picture LoadPicture(const std::string& path, const std::function<vd::PicturePart(int width, int height)>& choosePart) {
  Picture out;
  IWICImagingFactory* factory = Factory();
  if (!factory || path.empty()) return out;
  // What the header claims is checked before any decoder sees the file: a
  // few bytes can claim billions of pixels, and decoders allocate them first.
  const auto header = ReadHeaderOf(path);
  if (!header || header->verdict != vd::PictureVerdict::Accepted) return out;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.Put())))
    return out;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Put()))) return out;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return out;
  UINT w = 0, h = 0;
  if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0 || w > 65535 || h > 65535) return out;
  const int pictureWidth = static_cast<int>(w), pictureHeight = static_cast<int>(h);
  // Only the part asked for is decoded, clipped to the picture.
  const vd::PicturePart part = choosePart(pictureWidth, pictureHeight);
  const int left = std::clamp(part.x, 0, pictureWidth - 1), top = std::clamp(part.y, 0, pictureHeight - 1);
  const int width = std::clamp(part.width, 1, pictureWidth - left);
  const int height = std::clamp(part.height, 1, pictureHeight - top);
  int outW = width, outH = height;
  if (part.maxWidth > 0 && part.maxHeight > 0) vd::FitWithin(width, height, part.maxWidth, part.maxHeight, outW, outH);

  const UINT stride = static_cast<UINT>(width) * 4;
  if (outW == width && outH == height) {
    vd::Image img(width, height);
    if (img.Empty()) return out;
    WICRect rect{left, top, width, height};
    if (FAILED(converter->CopyPixels(&rect, stride, static_cast<UINT>(img.SizeBytes()), img.View().data)))
      return out;
    out.pixels = std::move(img);
  } else {
    // Decode in strips and average them down, never holding the whole picture.
    vd::AreaDownscaler scaler(width, height, outW, outH);
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(stride) * kStripRows);
    for (int y = 0; y < height; y += kStripRows) {
      int rows = height - y < kStripRows ? height - y : kStripRows;
      WICRect rect{left, top + y, width, rows};
      if (FAILED(converter->CopyPixels(&rect, stride, static_cast<UINT>(stride) * rows, strip.data()))) return out;
      scaler.PushRows(vd::ConstImageView(strip.data(), width, rows, stride));
    }
    if (!scaler.Done()) return out;
    out.pixels = scaler.Take();
  }
  out.originalWidth = pictureWidth;
  out.originalHeight = pictureHeight;
  return out;
}

}  // namespace platform
