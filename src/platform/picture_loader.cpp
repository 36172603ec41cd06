#include "platform/picture_loader.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/orientation.h"
#include "engine/picture_header.h"
#include "engine/resample.h"
#include "base/handles.h"

namespace platform {
namespace {

using base::ComPtr;

// One factory per thread (the UI thread and the picture worker), each made
// in its own thread's apartment.
IWICImagingFactory* Factory() {
  thread_local IWICImagingFactory* factory = [] {
    IWICImagingFactory* f = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&f))))
      f = nullptr;
    return f;  // kept for the thread's life
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

// A kind the engine does not read is judged by the system's codec for it, if
// there is one: its size and pixel format, which decoders give without
// decoding the pixels.
vd::PictureHeader SystemHeaderOf(const std::string& path) {
  IWICImagingFactory* factory = Factory();
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT w = 0, h = 0;
  WICPixelFormatGUID format{};
  if (!factory ||
      FAILED(factory->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.Put())) ||
      FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(frame->GetSize(&w, &h)) ||
      FAILED(frame->GetPixelFormat(&format)))
    return {};
  UINT bits = 64;  // unknown: the widest common format
  ComPtr<IWICComponentInfo> info;
  ComPtr<IWICPixelFormatInfo> pixelInfo;
  if (SUCCEEDED(factory->CreateComponentInfo(format, info.Put())) &&
      SUCCEEDED(info->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(pixelInfo.Put()))))
    pixelInfo->GetBitsPerPixel(&bits);
  return vd::JudgeSystemPicture(w, h, bits);
}

// The header's verdict; nullopt when the file cannot be opened.
std::optional<vd::PictureHeader> ReadHeaderOf(const std::string& path) {
  base::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  FileSource source(file.Get());
  const vd::PictureHeader header = vd::ReadPictureHeader(source);
  return header.format == vd::PictureFormat::Unknown ? SystemHeaderOf(path) : header;
}

// A GIF's first frame alone: the file up to the end of that frame's data,
// then the trailer. Some decoders read every frame when they open a GIF;
// only the first is ever shown.
class FirstFrameStream final : public IStream {
 public:
  FirstFrameStream(base::FileHandle file, std::uint64_t frameEnd) : file_(std::move(file)), end_(frameEnd) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (!out) return E_POINTER;
    if (id == IID_IUnknown || id == IID_ISequentialStream || id == IID_IStream) {
      *out = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE Read(void* out, ULONG n, ULONG* got) override {
    ULONG done = 0;
    auto* bytes = static_cast<std::uint8_t*>(out);
    if (pos_ < end_ && n > 0) {
      const ULONG want = static_cast<ULONG>(std::min<std::uint64_t>(n, end_ - pos_));
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(pos_);
      at.OffsetHigh = static_cast<DWORD>(pos_ >> 32);
      DWORD read = 0;
      if (!::ReadFile(file_.Get(), bytes, want, &read, &at)) read = 0;
      done = read;
      pos_ += read;
      if (read < want) {  // the file is shorter than when it was looked at
        if (got) *got = done;
        return S_FALSE;
      }
    }
    if (pos_ == end_ && done < n) {
      bytes[done++] = ';';
      ++pos_;
    }
    if (got) *got = done;
    return done == n ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override {
    const std::int64_t base = origin == STREAM_SEEK_SET   ? 0
                              : origin == STREAM_SEEK_CUR ? static_cast<std::int64_t>(pos_)
                              : origin == STREAM_SEEK_END ? static_cast<std::int64_t>(end_ + 1)
                                                          : -1;
    if (base < 0) return STG_E_INVALIDFUNCTION;
    const std::int64_t to = base + move.QuadPart;
    if (to < 0) return STG_E_INVALIDFUNCTION;
    pos_ = static_cast<std::uint64_t>(to);
    if (now) now->QuadPart = pos_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = end_ + 1;
    stat->grfMode = STGM_READ;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  ~FirstFrameStream() = default;
  base::FileHandle file_;
  std::uint64_t end_;
  std::uint64_t pos_ = 0;
  LONG refs_ = 1;
};

HRESULT OpenDecoder(IWICImagingFactory* factory, const std::string& path, const vd::PictureHeader& header,
                    IWICBitmapDecoder** decoder) {
  if (header.format != vd::PictureFormat::Gif || header.firstFrameEnd == 0)
    return factory->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ,
                                              WICDecodeMetadataCacheOnDemand, decoder);
  base::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return E_FAIL;
  IStream* stream = new FirstFrameStream(std::move(file), header.firstFrameEnd);
  const HRESULT hr = factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, decoder);
  stream->Release();  // the decoder keeps its own reference
  return hr;
}

// How the stored pixels are to be turned upright; 1 when the file says nothing.
int OrientationOf(const std::string& path) {
  base::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  FileSource source(file.Get());
  return vd::ReadOrientation(source);
}

// Whether the decoded pixels carry an alpha worth honouring: formats with an
// alpha channel, and palettes with a transparent colour. A bitmap's fourth
// byte is left out: many writers leave it 0 in opaque pictures, and the
// system's own desktop ignores it.
bool HasAlpha(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, const vd::PictureHeader& header) {
  if (header.format == vd::PictureFormat::Bmp) return false;
  WICPixelFormatGUID format{};
  if (FAILED(frame->GetPixelFormat(&format))) return false;
  static const GUID* const kAlphaFormats[] = {
      &GUID_WICPixelFormat32bppBGRA,      &GUID_WICPixelFormat32bppRGBA,        &GUID_WICPixelFormat32bppPBGRA,
      &GUID_WICPixelFormat32bppPRGBA,     &GUID_WICPixelFormat64bppRGBA,        &GUID_WICPixelFormat64bppBGRA,
      &GUID_WICPixelFormat64bppPRGBA,     &GUID_WICPixelFormat64bppPBGRA,       &GUID_WICPixelFormat64bppRGBAHalf,
      &GUID_WICPixelFormat128bppRGBAFloat, &GUID_WICPixelFormat128bppPRGBAFloat, &GUID_WICPixelFormat16bppBGRA5551,
      &GUID_WICPixelFormat40bppCMYKAlpha, &GUID_WICPixelFormat80bppCMYKAlpha};
  for (const GUID* alpha : kAlphaFormats)
    if (IsEqualGUID(format, *alpha)) return true;
  const bool indexed = IsEqualGUID(format, GUID_WICPixelFormat1bppIndexed) ||
                       IsEqualGUID(format, GUID_WICPixelFormat2bppIndexed) ||
                       IsEqualGUID(format, GUID_WICPixelFormat4bppIndexed) ||
                       IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed);
  if (!indexed) return false;
  ComPtr<IWICPalette> palette;
  BOOL alpha = FALSE;
  return SUCCEEDED(factory->CreatePalette(palette.Put())) && SUCCEEDED(frame->CopyPalette(palette.Get())) &&
         SUCCEEDED(palette->HasAlpha(&alpha)) && alpha;
}

}  // namespace

std::string PictureProblem(const std::string& path) {
  const auto header = ReadHeaderOf(path);
  if (!header) return "The picture\r\n" + path + "\r\ncannot be opened.";
  return vd::PictureProblemText(*header, path);
}

Picture LoadPicture(const std::string& path, int maxWidth, int maxHeight, std::uint32_t background) {
  return LoadPicture(
      path,
      [&](int width, int height) {
        vd::PicturePart whole;
        whole.width = width;
        whole.height = height;
        whole.maxWidth = maxWidth;
        whole.maxHeight = maxHeight;
        return whole;
      },
      background);
}

Picture LoadPicture(const std::string& path, const std::function<vd::PicturePart(int width, int height)>& choosePart,
                    std::uint32_t background, const std::atomic<bool>* stop) {
  Picture out;
  IWICImagingFactory* factory = Factory();
  if (!factory || path.empty()) return out;
  // What the header claims is checked before any decoder sees the file: a
  // few bytes can claim billions of pixels, and decoders allocate them first.
  const auto header = ReadHeaderOf(path);
  if (!header || header->verdict != vd::PictureVerdict::Accepted) return out;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(OpenDecoder(factory, path, *header, decoder.Put()))) return out;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Put()))) return out;
  const bool blend = HasAlpha(factory, frame.Get(), *header);
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return out;
  UINT w = 0, h = 0;
  if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0 || w > 65535 || h > 65535) return out;
  const int storedWidth = static_cast<int>(w), storedHeight = static_cast<int>(h);
  // Everyone sees the picture upright: its size, the part asked for, the pixels.
  // WIC's own metadata reader cannot be relied on for the tag, so it is read here.
  const int orientation = OrientationOf(path);
  const bool swap = vd::SwapsSides(orientation);
  const int pictureWidth = swap ? storedHeight : storedWidth, pictureHeight = swap ? storedWidth : storedHeight;
  // Only the part asked for is decoded, clipped to the picture.
  const vd::PicturePart part = choosePart(pictureWidth, pictureHeight);
  const int shownLeft = std::clamp(part.x, 0, pictureWidth - 1), shownTop = std::clamp(part.y, 0, pictureHeight - 1);
  const vd::Rect stored = vd::StoredRect(orientation, storedWidth, storedHeight,
                                         {shownLeft, shownTop, std::clamp(part.width, 1, pictureWidth - shownLeft),
                                          std::clamp(part.height, 1, pictureHeight - shownTop)});
  const int left = stored.x, top = stored.y, width = stored.width, height = stored.height;
  int outW = width, outH = height;
  if (part.maxWidth > 0 && part.maxHeight > 0) {
    if (swap) vd::FitWithin(width, height, part.maxHeight, part.maxWidth, outW, outH);
    else vd::FitWithin(width, height, part.maxWidth, part.maxHeight, outW, outH);
  }

  const UINT stride = static_cast<UINT>(width) * 4;
  if (outW == width && outH == height) {
    vd::Image img(width, height);
    if (img.Empty()) return out;
    WICRect rect{left, top, width, height};
    if (FAILED(converter->CopyPixels(&rect, stride, static_cast<UINT>(img.SizeBytes()), img.View().data)))
      return out;
    if (blend) vd::BlendOver(img.View(), background);
    out.pixels = std::move(img);
  } else {
    // Decode in strips and average them down, never holding the whole picture.
    vd::AreaDownscaler scaler(width, height, outW, outH);
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(stride) * kStripRows);
    for (int y = 0; y < height; y += kStripRows) {
      if (stop && stop->load()) return out;
      int rows = height - y < kStripRows ? height - y : kStripRows;
      WICRect rect{left, top + y, width, rows};
      if (FAILED(converter->CopyPixels(&rect, stride, static_cast<UINT>(stride) * rows, strip.data()))) return out;
      if (blend) vd::BlendOver(vd::ImageView{strip.data(), width, rows, static_cast<std::ptrdiff_t>(stride)}, background);
      scaler.PushRows(vd::ConstImageView(strip.data(), width, rows, stride));
    }
    if (!scaler.Done()) return out;
    out.pixels = scaler.Take();
  }
  if (orientation != 1) out.pixels = vd::Orient(out.pixels.View(), orientation);
  if (out.pixels.Empty()) return {};
  out.originalWidth = pictureWidth;
  out.originalHeight = pictureHeight;
  return out;
}

std::vector<std::string> SystemPictureExtensions() {
  std::vector<std::string> extensions;
  IWICImagingFactory* factory = Factory();
  ComPtr<IEnumUnknown> codecs;
  if (!factory || FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, codecs.Put())))
    return extensions;
  for (;;) {
    ComPtr<IUnknown> item;
    ULONG got = 0;
    if (codecs->Next(1, item.Put(), &got) != S_OK || got != 1) break;
    ComPtr<IWICBitmapCodecInfo> codec;
    UINT length = 0;
    if (FAILED(item->QueryInterface(IID_IWICBitmapCodecInfo, reinterpret_cast<void**>(codec.Put()))) ||
        FAILED(codec->GetFileExtensions(0, nullptr, &length)) || length == 0)
      continue;
    std::wstring list(length, L'\0');
    if (FAILED(codec->GetFileExtensions(length, list.data(), &length))) continue;
    list.resize(wcsnlen(list.c_str(), list.size()));
    // ".jpeg,.jpe,.jpg,.jfif,.exif": ASCII names, separated by commas.
    std::string name;
    for (std::size_t i = 0; i <= list.size(); ++i) {
      if (i == list.size() || list[i] == L',') {
        if (!name.empty()) extensions.push_back(name);
        name.clear();
      } else if (list[i] != L' ') {
        name += list[i] < 128 ? static_cast<char>(list[i]) : '?';
      }
    }
  }
  return extensions;
}

}  // namespace platform
