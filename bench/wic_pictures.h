// Pictures for the Windows benchmarks, written through WIC's encoders in
// strips so that even the largest ones need little memory to make.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <functional>
#include <string>
#include <vector>

inline std::wstring Wide(const std::string& s) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  return w;
}

// Writes a picture through WIC's encoder for the container, in strips of 128
// rows that fill() paints (the strip, its first row, its rows), so that the
// writer itself stays small however large the picture.
inline bool EncodeInStrips(const std::string& path, const GUID& container, WICPixelFormatGUID fmt,
                           UINT bytesPerPixel, UINT w, UINT h,
                           const std::function<void(std::vector<BYTE>&, UINT, UINT)>& fill) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* f = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&f))))
    return false;
  const WICPixelFormatGUID wanted = fmt;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* enc = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  bool ok = SUCCEEDED(f->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(f->CreateEncoder(container, nullptr, &enc)) &&
            SUCCEEDED(enc->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(enc->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(w, h)) && SUCCEEDED(frame->SetPixelFormat(&fmt)) && fmt == wanted;
  const UINT rows = 128, stride = w * bytesPerPixel;
  std::vector<BYTE> strip(static_cast<std::size_t>(stride) * rows);
  for (UINT y0 = 0; ok && y0 < h; y0 += rows) {
    const UINT n = h - y0 < rows ? h - y0 : rows;
    fill(strip, y0, n);
    ok = SUCCEEDED(frame->WritePixels(n, stride, stride * n, strip.data()));
  }
  ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(enc->Commit());
  for (IUnknown* u : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(enc), static_cast<IUnknown*>(stream),
                      static_cast<IUnknown*>(f)})
    if (u) u->Release();
  return ok;
}

// A textured picture (so that it compresses like a photo).
inline bool MakeTexturedPicture(const std::string& path, const GUID& container, UINT w, UINT h) {
  return EncodeInStrips(path, container, GUID_WICPixelFormat24bppBGR, 3, w, h,
                        [w, h](std::vector<BYTE>& strip, UINT y0, UINT n) {
                          for (UINT y = 0; y < n; ++y)
                            for (UINT x = 0; x < w; ++x) {
                              BYTE* p = &strip[(static_cast<std::size_t>(y) * w + x) * 3];
                              const unsigned t = (x * 7919u + (y0 + y) * 104729u) ^ (x * (y0 + y));
                              p[0] = static_cast<BYTE>(x * 255 / w + (t & 15));
                              p[1] = static_cast<BYTE>((y0 + y) * 255 / h + ((t >> 4) & 15));
                              p[2] = static_cast<BYTE>(((x + y0 + y) >> 6) + ((t >> 8) & 31));
                            }
                        });
}
