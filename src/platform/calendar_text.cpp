#include "platform/calendar_text.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "engine/calendar_page.h"
#include "base/handles.h"

namespace platform {
namespace {

// Today's date in the user's locale, by a picture format such as "dd" or "MMM".
std::string TodayAs(const char* format) {
  char buf[64] = {};
  int n = ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, nullptr, format, buf, sizeof buf);
  return n > 1 ? std::string(buf, static_cast<std::size_t>(n - 1)) : std::string();
}

HFONT MakeFont(const char* face, int points, bool bold) {
  LOGFONTA lf{};
  lf.lfHeight = -::MulDiv(points, 96, 72);  // the composition is at 96 pixels per inch
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = ANTIALIASED_QUALITY;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  return ::CreateFontIndirectA(&lf);
}

void DrawCentred(HDC dc, const std::string& text, int top, COLORREF colour, int shiftX) {
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  int c = (vd::kCalendarPageWidth - size.cx) / 2;
  ::SetTextColor(dc, colour);
  ::TextOutA(dc, c + shiftX, top, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

vd::Image RenderCalendarPage() {
  vd::Image art = vd::MakeCalendarPageArt();
  // Drawn on a 32-bit DIB section so GDI can put the texts on the picture.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = vd::kCalendarPageWidth;
  bi.bmiHeader.biHeight = -vd::kCalendarPageHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  base::GdiObject dib(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  base::MemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!dib || !dc || !bits) return {};
  const vd::ConstImageView src = art.View();
  auto* dst = static_cast<std::uint8_t*>(bits);
  const std::size_t rowBytes = static_cast<std::size_t>(src.width) * 4;
  for (int y = 0; y < src.height; ++y) std::memcpy(dst + y * rowBytes, src.Row(y), rowBytes);
  {
    base::ScopedSelect selBitmap(dc.Get(), dib.Get());
    ::SetBkMode(dc.Get(), TRANSPARENT);
    const std::string day = TodayAs("dd");
    base::GdiObject dayFont(MakeFont("Times New Roman", 20, true));
    {
      base::ScopedSelect selFont(dc.Get(), dayFont.Get());
      DrawCentred(dc.Get(), day, vd::kCalendarDayShadowTop, RGB(0x80, 0x80, 0x80), 1);
      DrawCentred(dc.Get(), day, vd::kCalendarDayTop, RGB(0xFF, 0, 0), 0);
    }
    base::GdiObject monthFont(MakeFont("Arial", 8, false));
    {
      base::ScopedSelect selFont(dc.Get(), monthFont.Get());
      DrawCentred(dc.Get(), TodayAs("MMM"), vd::kCalendarMonthTop, RGB(0, 0, 0), 0);
    }
    ::GdiFlush();
  }
  vd::ImageView out = art.View();
  for (int y = 0; y < out.height; ++y) std::memcpy(out.Row(y), dst + y * rowBytes, rowBytes);
  return art;
}

}  // namespace platform
