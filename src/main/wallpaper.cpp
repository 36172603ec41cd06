#include "main/wallpaper.h"

#include <windows.h>

#include <cstring>
#include <random>

#include "engine/bitmap_file.h"
#include "engine/calendar_page.h"
#include "engine/grey_filter.h"
#include "engine/selection.h"
#include "engine/settings.h"
#include "engine/style_rule.h"
#include "forms/handles.h"
#include "main/app.h"
#include "main/frm_main.h"
#include "main/frm_wait.h"
#include "main/list_store.h"

namespace {

bool changeRunning = false;

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

bool WallpaperChangeRunning() { return changeRunning; }

void DrawDateOverlay(vd::ImageView canvas) {
  if (app().settings.showDate == 0 || canvas.Empty()) return;
  vd::Image art = vd::MakeCalendarPageArt();
  // The page is drawn on a 32-bit DIB section so GDI can put the texts on it.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = vd::kCalendarPageWidth;
  bi.bmiHeader.biHeight = -vd::kCalendarPageHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  forms::GdiObject dib(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  forms::MemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!dib || !dc || !bits) return;
  const vd::ConstImageView src = art.View();
  auto* dst = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < src.height; ++y) std::memcpy(dst + y * src.width * 4, src.Row(y), src.width * 4u);
  {
    forms::ScopedSelect selBitmap(dc.Get(), dib.Get());
    ::SetBkMode(dc.Get(), TRANSPARENT);
    const std::string day = TodayAs("dd");
    forms::GdiObject dayFont(MakeFont("Times New Roman", 20, true));
    {
      forms::ScopedSelect selFont(dc.Get(), dayFont.Get());
      DrawCentred(dc.Get(), day, vd::kCalendarDayShadowTop, RGB(0x80, 0x80, 0x80), 1);
      DrawCentred(dc.Get(), day, vd::kCalendarDayTop, RGB(0xFF, 0, 0), 0);
    }
    forms::GdiObject monthFont(MakeFont("Arial", 8, false));
    {
      forms::ScopedSelect selFont(dc.Get(), monthFont.Get());
      DrawCentred(dc.Get(), TodayAs("MMM"), vd::kCalendarMonthTop, RGB(0, 0, 0), 0);
    }
    ::GdiFlush();
  }
  vd::ConstImageView page(dst, vd::kCalendarPageWidth, vd::kCalendarPageHeight, vd::kCalendarPageWidth * 4);
  vd::StampCalendarPage(canvas, page);
}

namespace {

void ApplyWallpaperNow() {
  AppState& a = app();
  FrmMain& m = frmMain();
  m.SetEnabled(false);

  const int style = m.lstStyle.ListIndex();
  if (a.registry) {
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "WallpaperStyle", std::to_string(style));
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "Wallpaper", a.paths.wallpaperBitmapPath);
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "TileWallpaper", style == 1 ? "1" : "0");
  }
  if (m.ComposeSelected()) {
    vd::ImageView canvas = m.FullSizePic.View();
    if (a.settings.useGreyScale != 0) vd::FilterBlackAndWhite(canvas);
    DrawDateOverlay(canvas);
    std::vector<std::uint8_t> bmp = vd::EncodeBmp(canvas);
    platform::WriteFileReplacing(a.paths.wallpaperBitmapPath, bmp.data(), bmp.size());
  }
  m.ReleaseCanvas();
  ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(a.paths.wallpaperBitmapPath.c_str()),
                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
  m.SetEnabled(true);
  frmWait().Unload();
}

}  // namespace

void ApplyWallpaper() {
  if (changeRunning) return;  // the change under way finishes and closes the progress form
  forms::ScopedFlag running(changeRunning);
  ApplyWallpaperNow();
}

void NextWallpaper() {
  AppState& a = app();
  FrmMain& m = frmMain();
  if (changeRunning) return;
  forms::ScopedFlag running(changeRunning);
  int n = static_cast<int>(m.entries.size());
  if (n < 1) {
    frmWait().Unload();  // nothing to change; do not leave the progress form up
    return;
  }
  a.manualStyle = false;
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  double seconds = t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
  std::mt19937 random(vd::RandomFromTimeOfDay(seconds));
  // An entry whose file has vanished is dropped; then choose again among the rest.
  while (n > 0) {
    int k = vd::NextIndex(m.SelectedIndex(), n, a.settings.randomOrder != 0, random());
    m.SelectQuietly(k);
    PreviewSelectedEntry();
    if (m.SelectedIndex() >= 0) break;
    n = static_cast<int>(m.entries.size());
  }
  ApplyWallpaperNow();
}

void ShowImageInfo() {
  FrmMain& m = frmMain();
  int i = m.SelectedIndex();
  if (i < 0) return;
  const vd::ListEntry& e = m.entries[static_cast<std::size_t>(i)];
  int style = m.suggestStyle();
  std::string text = vd::ImageInfoMessage(e.FullPath(), m.BackPicWidth() + 4, m.BackPicHeight() + 4,
                                          style >= 0 && style < m.lstStyle.ListCount() ? m.lstStyle.List(style) : "");
  forms::MsgBox(text, MB_OK | MB_ICONINFORMATION, e.name, m.Handle());
}
