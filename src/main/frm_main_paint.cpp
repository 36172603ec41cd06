// The main window's painting: the skin, the panel buttons, the minimise and
// close pictures with their hover state, and the preview.
#include "main/frm_main.h"

#include <windows.h>

#include "engine/skin_region.h"
#include "main/frm_main_skin.h"
#include "main/skin_form.h"

namespace {
constexpr COLORREF kAccentColor = RGB(46, 104, 170);
constexpr int kSkinRadius = 16, kSkinBorder = 2;
constexpr std::uint32_t kSkinKey = 0xFF00FF;  // 0x00RRGGBB

std::uint32_t Rgb(COLORREF c) { return std::uint32_t{GetRValue(c)} << 16 | std::uint32_t{GetGValue(c)} << 8 | GetBValue(c); }

}  // namespace

vd::Image DrawSkin(UINT dpi) {
  auto at = [dpi](int units) { return ::MulDiv(units, static_cast<int>(dpi), 96); };
  return vd::DrawPanelSkin(at(kSkinWidth), at(kSkinHeight),
                           {at(kSkinRadius), at(kSkinBorder), kSkinKey, Rgb(kAccentColor), Rgb(kPanelColor)});
}

namespace {

// Draws a top-down BGRA picture at (x, y).
void DrawImage(HDC dc, int x, int y, const vd::Image& image) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = image.Width();
  bi.bmiHeader.biHeight = -image.Height();
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(image.Width()), static_cast<DWORD>(image.Height()), 0, 0, 0,
                      static_cast<UINT>(image.Height()), image.View().data, &bi, DIB_RGB_COLORS);
}

void Fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
  RECT rc{l, t, r, b};
  HBRUSH br = ::CreateSolidBrush(c);
  ::FillRect(dc, &rc, br);
  ::DeleteObject(br);
}
}  // namespace

void FrmMain::PaintPreview(HDC dc, const RECT& rc) {
  Fill(dc, rc.left, rc.top, rc.right, rc.bottom, RGB(90, 100, 115));
  if (!preview_.Empty()) DrawImage(dc, rc.left + 1, rc.top + 1, preview_);
}

void FrmMain::PaintButton(int index, HDC dc, const RECT& rc) {
  // The panel buttons' pictures: a rounded tile with a glyph, lighter when hovered.
  const bool hot = index == hoveredButton_;
  Fill(dc, rc.left, rc.top, rc.right, rc.bottom, kPanelColor);
  HBRUSH tile = ::CreateSolidBrush(hot ? RGB(70, 140, 215) : RGB(46, 104, 170));
  HGDIOBJ oldBrush = ::SelectObject(dc, tile);
  HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
  ::RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, Scale(10), Scale(10));
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, oldBrush);
  ::DeleteObject(tile);
  const COLORREF ink = RGB(255, 255, 255);
  const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2, u = Scale(3);
  switch (index) {
    case 0:  // add: a plus
      Fill(dc, cx - 3 * u, cy - u / 2, cx + 3 * u, cy + u / 2 + 1, ink);
      Fill(dc, cx - u / 2, cy - 3 * u, cx + u / 2 + 1, cy + 3 * u, ink);
      break;
    case 1:  // remove: a minus
      Fill(dc, cx - 3 * u, cy - u / 2, cx + 3 * u, cy + u / 2 + 1, ink);
      break;
    case 2:  // lists: three lines
      for (int k = -1; k <= 1; ++k) Fill(dc, cx - 3 * u, cy + k * 2 * u - u / 2, cx + 3 * u, cy + k * 2 * u + u / 2 + 1, ink);
      break;
    case 3:  // about: an "i"
      Fill(dc, cx - u / 2, cy - 3 * u, cx + u / 2 + 1, cy - 2 * u, ink);
      Fill(dc, cx - u / 2, cy - u, cx + u / 2 + 1, cy + 3 * u, ink);
      break;
    default: {  // settings: a ring
      HPEN pen = ::CreatePen(PS_SOLID, u, ink);
      HGDIOBJ op = ::SelectObject(dc, pen);
      HGDIOBJ ob = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
      ::Ellipse(dc, cx - 3 * u, cy - 3 * u, cx + 3 * u, cy + 3 * u);
      ::SelectObject(dc, ob);
      ::SelectObject(dc, op);
      ::DeleteObject(pen);
      Fill(dc, cx - u / 2, cy - u / 2, cx + u / 2 + 1, cy + u / 2 + 1, ink);
    }
  }
}

void FrmMain::Buttons_MouseMove(int index) {
  if (hoveredButton_ == index) return;
  int old = hoveredButton_;
  hoveredButton_ = index;
  if (old >= 0) Buttons[old].Invalidate();
  Buttons[index].Invalidate();
}

void FrmMain::ResetHoverPictures(bool keepKeyboard) {
  if (hoveredButton_ >= 0) {
    int old = hoveredButton_;
    hoveredButton_ = -1;
    Buttons[old].Invalidate();
  }
  if (hoveredCtrl_ >= 0) {
    hoveredCtrl_ = -1;
    imgMin.Invalidate();
    imgClose.Invalidate();
  }
  if (keepKeyboard) {
    // The keyboard goes on in the image list, not in a hidden drop-down.
    HideDropDown(lstStyle);
    HideDropDown(lstTime);
  } else {
    lstStyle.SetVisible(false);
    lstTime.SetVisible(false);
  }
}

void FrmMain::PaintSkin(HDC dc) { DrawImage(dc, 0, 0, skin_); }

void FrmMain::PaintCtrl(int index, HDC dc, const RECT& rc) {
  // The minimise (0, 1) and close (2, 3) pictures; odd ones are hovered.
  const bool hot = index % 2 == 1;
  Fill(dc, rc.left, rc.top, rc.right, rc.bottom, kPanelColor);
  if (hot) {
    HBRUSH tile = ::CreateSolidBrush(index == 3 ? RGB(200, 60, 50) : kAccentColor);
    HGDIOBJ oldBrush = ::SelectObject(dc, tile);
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::RoundRect(dc, rc.left, rc.top, rc.right + 1, rc.bottom + 1, 6, 6);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(tile);
  }
  const COLORREF ink = hot ? RGB(255, 255, 255) : kAccentColor;
  const int w = rc.right - rc.left, h = rc.bottom - rc.top, u = Scale(2);
  if (index < 2) {
    Fill(dc, rc.left + w / 4, rc.top + h * 2 / 3 - u / 2, rc.right - w / 4, rc.top + h * 2 / 3 + u - u / 2, ink);
    return;
  }
  HPEN pen = ::CreatePen(PS_SOLID, u, ink);
  HGDIOBJ op = ::SelectObject(dc, pen);
  const int l = rc.left + w / 4, t = rc.top + h / 4, r = rc.right - w / 4, b = rc.bottom - h / 4;
  ::MoveToEx(dc, l, t, nullptr);
  ::LineTo(dc, r, b);
  ::MoveToEx(dc, r - 1, t, nullptr);
  ::LineTo(dc, l - 1, b);
  ::SelectObject(dc, op);
  ::DeleteObject(pen);
}

void FrmMain::imgMin_MouseMove() {
  if (hoveredCtrl_ == 1) return;
  hoveredCtrl_ = 1;
  imgMin.Invalidate();
  imgClose.Invalidate();
}

void FrmMain::imgClose_MouseMove() {
  if (hoveredCtrl_ == 3) return;
  hoveredCtrl_ = 3;
  imgMin.Invalidate();
  imgClose.Invalidate();
}

void FrmMain::OnDpiChanged() {
  // The skin and its outline at the controls' new DPI.
  skin_ = DrawSkin(Dpi());
  std::int32_t key = 0;
  ApplySkinRegion(Handle(), skin_, key);
  lstTime.FitHeightToItems();
  lstStyle.FitHeightToItems();
  imgPreview.Invalidate();
}
