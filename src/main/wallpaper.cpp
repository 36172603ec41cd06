#include "main/wallpaper.h"

#include <windows.h>

#include <random>
#include <utility>

#include "desktop/desktop_icons.h"
#include "engine/bitmap_file.h"
#include "engine/calendar_page.h"
#include "engine/grey_filter.h"
#include "engine/picture_header.h"
#include "engine/selection.h"
#include "engine/settings.h"
#include "engine/style_rule.h"
#include "forms/handles.h"
#include "main/app.h"
#include "main/frm_main.h"
#include "main/frm_wait.h"
#include "main/list_store.h"
#include "platform/calendar_text.h"
#include "platform/picture_loader.h"

namespace {

bool changeRunning = false;

// When the last change ran, by the message clock. Input and commands that
// were queued while it ran (the UI thread was busy composing) come out of
// the queue only after it; they asked for the change that just happened.
bool changedBefore = false;
DWORD changeStartedAt = 0, changeEndedAt = 0;

// Marks a change as running from construction to destruction.
class ChangeScope {
 public:
  ChangeScope() : running_(changeRunning) { changeStartedAt = ::GetTickCount(); }
  ~ChangeScope() {
    changeEndedAt = ::GetTickCount();
    changedBefore = true;
  }
  ChangeScope(const ChangeScope&) = delete;
  ChangeScope& operator=(const ChangeScope&) = delete;

 private:
  forms::ScopedFlag running_;
};

// True when the message being handled was posted while the last change ran.
bool ArrivedDuringLastChange() {
  if (!changedBefore) return false;
  const DWORD posted = static_cast<DWORD>(::GetMessageTime());
  // Unsigned differences stay right across the tick count's wrap.
  return posted - changeStartedAt <= changeEndedAt - changeStartedAt;
}

void NextWallpaperNow();

}  // namespace

bool WallpaperChangeRunning() { return changeRunning; }

void NextWallpaper() {
  if (changeRunning) return;
  ChangeScope change;
  frmWait().ShowAndPaint();
  forms::DoEvents();
  NextWallpaperNow();
}

void RequestNextWallpaper() {
  if (ArrivedDuringLastChange()) return;
  NextWallpaper();
}

void DrawDateOverlay(vd::ImageView canvas) {
  if (app().settings.showDate == 0 || canvas.Empty()) return;
  vd::Image page = platform::RenderCalendarPage();
  if (!page.Empty()) vd::StampCalendarPage(canvas, page.View());
}

namespace {

void ApplyWallpaperNow() {
  AppState& a = app();
  FrmMain& m = frmMain();
  // A change can run while one of the window's own modal dialogs is open
  // (their message loops run the timer and the hot key): the window is left
  // as enabled as it was, never enabled under its dialog.
  const bool wasEnabled = m.Enabled();
  m.SetEnabled(false);

  bool written = false;
  if (m.ComposeSelected()) {
    vd::ImageView canvas = m.FullSizePic.View();
    if (a.settings.useGreyScale != 0) vd::FilterBlackAndWhite(canvas);
    DrawDateOverlay(canvas);
    std::vector<std::uint8_t> bmp = vd::EncodeBmp(canvas);
    written = platform::WriteFileReplacing(a.paths.wallpaperBitmapPath, bmp.data(), bmp.size());
  }
  m.ReleaseCanvas();
  // The system is pointed at the bitmap only when it holds this wallpaper: a
  // picture that cannot be read or a bitmap that cannot be saved leaves the
  // desktop and its settings as they were.
  if (written) {
    const int style = m.lstStyle.ListIndex();
    if (a.registry) {
      a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "WallpaperStyle",
                              std::to_string(vd::DesktopStyleValue(style)));
      a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "Wallpaper", a.paths.wallpaperBitmapPath);
      a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "TileWallpaper", style == 1 ? "1" : "0");
    }
    ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(a.paths.wallpaperBitmapPath.c_str()),
                            SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
  }
  if (a.settings.transparentIcons != 0) ApplyIconTextColours();
  ShowHideDesktopIcons();
  m.SetEnabled(wasEnabled);
  frmWait().Unload();
}

}  // namespace

void ApplyWallpaper() {
  if (changeRunning) return;  // the change under way finishes and closes the progress form
  ChangeScope change;
  ApplyWallpaperNow();
}

namespace {

void NextWallpaperNow() {
  AppState& a = app();
  FrmMain& m = frmMain();
  int n = static_cast<int>(m.entries.size());
  if (n < 1) {
    frmWait().Unload();  // nothing to change; do not leave the progress form up
    return;
  }
  a.manualStyle = false;
  m.CloseStyleList();  // the entry changes under it; closing it picks nothing
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  double seconds = t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
  std::mt19937 random(vd::RandomFromTimeOfDay(seconds));
  // An entry whose file has vanished is dropped; then choose again among the rest.
  while (n > 0) {
    int k = a.settings.randomOrder != 0 ? m.shuffle.Next(m.SelectedIndex(), n, random())
                                        : vd::NextIndex(m.SelectedIndex(), n, false, 0);
    m.SelectQuietly(k);
    PreviewSelectedEntry();
    if (m.SelectedIndex() >= 0) break;
    n = static_cast<int>(m.entries.size());
  }
  ApplyWallpaperNow();
}

}  // namespace

bool ReportPictureProblem(const std::string& path, bool decodeFailed) {
  static std::string beingReported;
  if (!beingReported.empty() && path == beingReported) return true;
  std::string problem = platform::PictureProblem(path);
  if (problem.empty() && decodeFailed) problem = vd::PictureProblemText(vd::PictureHeader{}, path);
  if (problem.empty()) return false;
  FrmMain& m = frmMain();
  const std::string outer = std::exchange(beingReported, path);
  forms::MsgBox(problem, MB_OK | MB_ICONEXCLAMATION, forms::kProgramTitle, m.Visible() ? m.Handle() : nullptr);
  beingReported = outer;
  return true;
}

void ShowImageInfo() {
  FrmMain& m = frmMain();
  int i = m.SelectedIndex();
  if (i < 0) return;
  const vd::ListEntry& e = m.entries[static_cast<std::size_t>(i)];
  if (ReportPictureProblem(e.FullPath())) return;
  int style = m.suggestStyle();
  std::string text = vd::ImageInfoMessage(e.FullPath(), m.BackPicWidth() + 4, m.BackPicHeight() + 4,
                                          style >= 0 && style < m.lstStyle.ListCount() ? m.lstStyle.List(style) : "");
  forms::MsgBox(text, MB_OK | MB_ICONINFORMATION, e.name, m.Handle());
}
