#include "pictures.h"

#include <wincodec.h>

#include <cstdlib>

#include "harness.h"

namespace e2e {

bool MakePicture(const std::string& path, int width, int height, const std::string& format,
                 std::uint32_t (*colour)(int x, int y)) {
  ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  GUID container = format == "jpg" ? GUID_ContainerFormatJpeg
                   : format == "gif" ? GUID_ContainerFormatGif
                   : format == "png" ? GUID_ContainerFormatPng
                   : format == "tif" ? GUID_ContainerFormatTiff
                                     : GUID_ContainerFormatBmp;
  IWICImagingFactory* factory = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
    return false;
  bool ok = false;
  IWICBitmap* bitmap = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint32_t c = colour(x, y);
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = c & 255;
      p[1] = (c >> 8) & 255;
      p[2] = (c >> 16) & 255;
    }
  int wlen = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wpath(static_cast<std::size_t>(wlen), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wpath.data(), wlen);
  WICPixelFormatGUID fmt = format == "gif" ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
  IWICPalette* palette = nullptr;
  IWICFormatConverter* converter = nullptr;
  if (SUCCEEDED(factory->CreateBitmapFromMemory(static_cast<UINT>(width), static_cast<UINT>(height),
                                                 GUID_WICPixelFormat24bppBGR, static_cast<UINT>(width * 3),
                                                 static_cast<UINT>(bgr.size()), bgr.data(), &bitmap)) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(wpath.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
      SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)))) {
    IWICBitmapSource* source = bitmap;
    if (format == "gif" && SUCCEEDED(factory->CreatePalette(&palette)) &&
        SUCCEEDED(palette->InitializeFromBitmap(bitmap, 256, FALSE)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(bitmap, GUID_WICPixelFormat8bppIndexed, WICBitmapDitherTypeNone, palette, 0.0,
                                        WICBitmapPaletteTypeCustom))) {
      source = converter;
      frame->SetPalette(palette);
    }
    WICPixelFormatGUID want = fmt;
    frame->SetPixelFormat(&want);
    ok = SUCCEEDED(frame->WriteSource(source, nullptr)) && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  for (IUnknown* u : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(palette), static_cast<IUnknown*>(frame),
                      static_cast<IUnknown*>(encoder), static_cast<IUnknown*>(stream), static_cast<IUnknown*>(bitmap),
                      static_cast<IUnknown*>(factory)})
    if (u) u->Release();
  return ok;
}

bool MakeAlphaPng(const std::string& path, int width, int height, std::uint32_t (*argb)(int x, int y)) {
  ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  IWICImagingFactory* factory = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
    return false;
  std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = argb(x, y);
      std::uint8_t* p = &bgra[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = c & 255;
      p[1] = (c >> 8) & 255;
      p[2] = (c >> 16) & 255;
      p[3] = (c >> 24) & 255;
    }
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  const UINT stride = static_cast<UINT>(width) * 4;
  bool ok = SUCCEEDED(factory->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
            SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)));
  if (ok) {
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    ok = SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGRA &&
         SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(bgra.size()), bgra.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  for (IUnknown* u : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(encoder), static_cast<IUnknown*>(stream),
                      static_cast<IUnknown*>(factory)})
    if (u) u->Release();
  return ok;
}

namespace {
std::uint32_t solidColour = 0;
std::uint32_t Solid(int, int) { return solidColour; }
}  // namespace

bool MakeSolidPicture(const std::string& path, int width, int height, const std::string& format, std::uint32_t rgb) {
  solidColour = rgb;
  return MakePicture(path, width, height, format, &Solid);
}

bool MakeLargeJpeg(const std::string& path, int width, int height, std::uint32_t rgb) {
  ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  IWICImagingFactory* factory = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
    return false;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  const int stripRows = 256;
  const UINT stride = static_cast<UINT>(width) * 3;
  std::vector<std::uint8_t> strip(static_cast<std::size_t>(stride) * stripRows);
  for (std::size_t i = 0; i < strip.size(); i += 3) {
    strip[i] = rgb & 255;
    strip[i + 1] = (rgb >> 8) & 255;
    strip[i + 2] = (rgb >> 16) & 255;
  }
  const std::wstring wpath = Wide(path);
  bool ok = SUCCEEDED(factory->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(wpath.c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) &&
            SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)));
  if (ok) {
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    ok = SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat24bppBGR;
  }
  for (int y = 0; ok && y < height; y += stripRows) {
    const UINT rows = static_cast<UINT>(height - y < stripRows ? height - y : stripRows);
    ok = SUCCEEDED(frame->WritePixels(rows, stride, stride * rows, strip.data()));
  }
  ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  for (IUnknown* u : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(encoder), static_cast<IUnknown*>(stream),
                      static_cast<IUnknown*>(factory)})
    if (u) u->Release();
  return ok;
}

std::optional<Bitmap> ReadBmp(const std::string& path) {
  auto data = ReadFileText(path);
  if (!data || data->size() < 54 || (*data)[0] != 'B' || (*data)[1] != 'M') return std::nullopt;
  auto u32 = [&](std::size_t o) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>((*data)[o])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>((*data)[o + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>((*data)[o + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>((*data)[o + 3])) << 24;
  };
  Bitmap b;
  std::uint32_t offset = u32(10);
  b.width = static_cast<int>(u32(18));
  int h = static_cast<int>(u32(22));
  int bpp = static_cast<std::uint8_t>((*data)[28]);
  bool bottomUp = h > 0;
  b.height = std::abs(h);
  if ((bpp != 32 && bpp != 24) || b.width <= 0) return std::nullopt;
  std::size_t row = (static_cast<std::size_t>(b.width) * (bpp / 8) + 3) & ~std::size_t{3};
  if (offset + row * b.height > data->size()) return std::nullopt;
  b.pixels.resize(static_cast<std::size_t>(b.width) * b.height);
  for (int y = 0; y < b.height; ++y) {
    std::size_t r = offset + row * static_cast<std::size_t>(bottomUp ? b.height - 1 - y : y);
    for (int x = 0; x < b.width; ++x) {
      const auto* p = reinterpret_cast<const std::uint8_t*>(data->data() + r + static_cast<std::size_t>(x) * (bpp / 8));
      b.pixels[static_cast<std::size_t>(y) * b.width + x] = p[0] | p[1] << 8 | p[2] << 16;
    }
  }
  return b;
}

std::uint32_t ScreenPixel(int x, int y) {
  HDC screen = ::GetDC(nullptr);
  COLORREF c = ::GetPixel(screen, x, y);
  ::ReleaseDC(nullptr, screen);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

std::vector<std::uint32_t> CaptureScreen(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(mem, dib);
  ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  ::GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = p[i] & 0xFFFFFF;
  ::SelectObject(mem, old);
  ::DeleteObject(dib);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  return px;
}

int ColourDistance(std::uint32_t a, std::uint32_t b) {
  int d = 0;
  for (int s = 0; s < 24; s += 8) d = std::max(d, std::abs(static_cast<int>((a >> s) & 255) - static_cast<int>((b >> s) & 255)));
  return d;
}

namespace {
LPARAM ItemPoint(HWND lb, int index) {
  DWORD_PTR height = 16, top = 0;
  ::SendMessageTimeoutA(lb, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 3000, &height);
  ::SendMessageTimeoutA(lb, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 3000, &top);
  int y = (index - static_cast<int>(top)) * static_cast<int>(height) + static_cast<int>(height) / 2;
  return MAKELPARAM(8, y);
}
}  // namespace

void ClickListItem(HWND lb, int index) {
  LPARAM pt = ItemPoint(lb, index);
  ::PostMessageA(lb, WM_LBUTTONDOWN, MK_LBUTTON, pt);
  ::PostMessageA(lb, WM_LBUTTONUP, 0, pt);
}

void DoubleClickListItem(HWND lb, int index) {
  LPARAM pt = ItemPoint(lb, index);
  ::PostMessageA(lb, WM_LBUTTONDOWN, MK_LBUTTON, pt);
  ::PostMessageA(lb, WM_LBUTTONUP, 0, pt);
  ::PostMessageA(lb, WM_LBUTTONDBLCLK, MK_LBUTTON, pt);
  ::PostMessageA(lb, WM_LBUTTONUP, 0, pt);
}

}  // namespace e2e
