#include "main/skin_form.h"

#include <vector>

#include "engine/skin_region.h"
#include "forms/handles.h"

namespace {

// The bitmap's pixels as a top-down 32-bit DIB, read in one call.
vd::Image ReadPixels(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return {};
  vd::Image image(info.bmWidth, info.bmHeight);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = info.bmWidth;
  bi.bmiHeader.biHeight = -info.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  forms::MemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!::GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(info.bmHeight), image.View().data, &bi, DIB_RGB_COLORS))
    return {};
  return image;
}

HRGN MakeRegion(const std::vector<vd::RegionRect>& rects, int width, int height) {
  std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(rects.size());
  data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  data->rdh.rcBound = RECT{0, 0, width, height};
  auto* out = reinterpret_cast<RECT*>(data->Buffer);
  for (std::size_t i = 0; i < rects.size(); ++i) out[i] = RECT{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
  return ::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

}  // namespace

UINT WindowDpi(HWND window) {
  UINT dpi = window ? ::GetDpiForWindow(window) : 0;
  if (dpi == 0) {
    forms::ScopedGetDc screen(nullptr);
    dpi = static_cast<UINT>(::GetDeviceCaps(screen.Get(), LOGPIXELSY));
  }
  return dpi ? dpi : 96;
}

vd::Image ApplySkinRegion(HWND form, HBITMAP skin, std::int32_t& keyColour, UINT dpi) {
  vd::Image pixels = ReadPixels(skin);
  if (pixels.Empty()) return {};
  const int width = ::MulDiv(pixels.Width(), static_cast<int>(dpi), 96);
  const int height = ::MulDiv(pixels.Height(), static_cast<int>(dpi), 96);
  vd::Image scaled = width == pixels.Width() && height == pixels.Height()
                         ? std::move(pixels)
                         : vd::ScaleNearest(pixels.View(), width, height);
  std::uint32_t key = 0;  // 0x00RRGGBB, as the pixels are compared
  if (keyColour < 1) {
    key = vd::PixelColour(scaled.View(), 0, 0);
    keyColour = static_cast<std::int32_t>(RGB((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF));
  } else {
    const auto c = static_cast<COLORREF>(keyColour);
    key = static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
  }
  HRGN region = MakeRegion(vd::SkinRegionRects(scaled.View(), key), width, height);
  if (form) {
    ::SetWindowPos(form, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // From here the window owns the region.
    if (region && !::SetWindowRgn(form, region, TRUE)) ::DeleteObject(region);
  } else if (region) {
    ::DeleteObject(region);
  }
  return scaled;
}

void DragWindow(HWND window) {
  ::ReleaseCapture();
  ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}
