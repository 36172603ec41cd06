#include "main/skin_form.h"

#include <vector>

#include "engine/skin_region.h"
#include "forms/forms.h"
#include "base/handles.h"

namespace {

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

UINT WindowDpi(HWND window) { return forms::WindowDpi(window); }

void ApplySkinRegion(HWND form, const vd::Image& skin, std::int32_t& keyColour) {
  if (skin.Empty()) return;
  std::uint32_t key = 0;  // 0x00RRGGBB, as the pixels are compared
  if (keyColour < 1) {
    key = vd::PixelColour(skin.View(), 0, 0);
    keyColour = static_cast<std::int32_t>(RGB((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF));
  } else {
    const auto c = static_cast<COLORREF>(keyColour);
    key = static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
  }
  HRGN region = MakeRegion(vd::SkinRegionRects(skin.View(), key), skin.Width(), skin.Height());
  if (!form) {
    if (region) ::DeleteObject(region);
    return;
  }
  ::SetWindowPos(form, nullptr, 0, 0, skin.Width(), skin.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // From here the window owns the region.
  if (region && !::SetWindowRgn(form, region, TRUE)) ::DeleteObject(region);
}

void DragWindow(HWND window) {
  ::ReleaseCapture();
  ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}
