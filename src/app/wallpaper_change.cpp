#include "app/wallpaper_change.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <random>
#include <utility>

#include "app/app_state.h"
#include "app/list_store.h"
#include "app/picture_worker.h"
#include "app/ui_port.h"
#include "engine/list_file.h"
#include "engine/monitor_layout.h"
#include "engine/paths.h"
#include "engine/picture_header.h"
#include "engine/selection.h"
#include "engine/settings.h"
#include "engine/style_rule.h"
#include "platform/monitors.h"
#include "platform/picture_loader.h"

namespace vdapp {

namespace {

const char* const kStyleNames[] = {"Centered", "Tiled", "Stretched", "Fill", "Fit"};

int ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

// The rule picks the style (it is on and the user picked none for the entry
// on screen), or no style is chosen at all; else the chosen one holds.
bool StyleSuggested() {
  const AppState& a = app();
  return (a.settings.autoDecision != 0 && !a.list.ManualStyle()) || a.list.Style() < 0;
}

// The pictures on the monitors since the last change, left to right then
// top to bottom: what a new layout of the monitors shows again.
std::vector<std::string> shownPaths;

// others: the pictures for the second monitor on, in their order; none puts
// path on every monitor.
PictureJob JobFor(const std::string& path, PictureJob::Purpose purpose, const std::vector<std::string>& others = {}) {
  const AppState& a = app();
  PictureJob job;
  job.purpose = purpose;
  job.path = path;
  job.style = StyleSuggested() ? -1 : a.list.Style();
  job.screenWidth = ScreenWidth();
  job.screenHeight = ScreenHeight();
  job.desktopColour = ::GetSysColor(COLOR_DESKTOP);
  ui().PreviewSize(job.previewWidth, job.previewHeight);
  if (purpose == PictureJob::Purpose::Wallpaper) {
    job.blackAndWhite = a.settings.useGreyScale != 0;
    job.calendarPage = a.settings.showDate != 0;
    job.bitmapPath = a.paths.wallpaperBitmapPath;
    // Several monitors: one bitmap over all of them, each composed at its own size.
    const std::vector<vd::Monitor> monitors = platform::DisplayMonitors();
    if (monitors.size() > 1) {
      const vd::Rect screen = vd::VirtualScreen(monitors);
      job.screenWidth = screen.width;
      job.screenHeight = screen.height;
      const std::vector<vd::Monitor> placed = vd::OnBitmap(monitors);
      for (std::size_t i = 0; i < placed.size(); ++i) {
        const std::string& picture = i == 0 || others.empty() ? path : others[(i - 1) % others.size()];
        job.parts.push_back({placed[i].rect, picture, placed[i].primary});
      }
      job.rollToOrigin = !platform::SystemSpansWallpapers();
      job.originX = -screen.x;
      job.originY = -screen.y;
    }
  }
  return job;
}

// The picture the preview shows, for Properties.
struct Shown {
  std::string path;
  int width = 0, height = 0;
} shown;

bool StillSelected(int index, const std::string& path) {
  const AppState& a = app();
  return a.list.Selected() == index && a.list.Has(index) && a.list.At(index).FullPath() == path;
}

// Shows a finished picture, unless the user has selected another meanwhile.
void ShowResult(int index, const std::string& path, PictureResult& r, bool styleSuggested) {
  if (!StillSelected(index, path)) return;
  // The suggestion is the program's choice, not the user's pick.
  if (styleSuggested) app().list.SetStyle(r.style);
  shown = {path, r.pictureWidth, r.pictureHeight};
  if (!r.preview.Empty()) ui().ShowPreview(std::move(r.preview));
}

// Gone for good only when its folder is there: an entry whose folder or drive
// is away for now (renamed, unplugged, offline) stays in the list.
bool FileGone(const std::string& path) { return vd::EntryGone(app().fs, path); }

// spanned: the bitmap covers every monitor. Shown with the span position, or
// tiled from the primary monitor where the system has none.
void PointDesktopAt(int style, bool spanned) {
  AppState& a = app();
  std::string styleValue = std::to_string(vd::DesktopStyleValue(style)), tile = style == 1 ? "1" : "0";
  if (spanned) {
    const bool span = platform::SystemSpansWallpapers();
    styleValue = span ? "22" : "0";
    tile = span ? "0" : "1";
  }
  if (a.registry) {
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "WallpaperStyle", styleValue);
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "Wallpaper", a.paths.wallpaperBitmapPath);
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "TileWallpaper", tile);
  }
  ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(a.paths.wallpaperBitmapPath.c_str()),
                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

// One change from its start to the end of its last attempt.
struct Change {
  bool nextEntry = true;  // false: the selected entry, as chosen by hand
  int failures = 0;
  std::vector<std::string> others;  // pictures of their own for the other monitors
};

void EndChange(bool attempted) {
  if (attempted) ui().WallpaperShown();
  ui().CloseProgress();
  app().commands.Finish();
}

void TryEntry(int index, const std::shared_ptr<Change>& change);

void TryNextEntry(const std::shared_ptr<Change>& change) {
  AppState& a = app();
  const int n = a.list.Count();
  if (n < 1 || change->failures >= n) {
    EndChange(n >= 1);
    return;
  }
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  const double seconds = t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
  std::mt19937 random(vd::RandomFromTimeOfDay(seconds));
  // "A different picture on each monitor": the next entries, one per monitor.
  const std::size_t monitors = a.settings.multipleMonitors != 0 ? platform::DisplayMonitors().size() : 1;
  const std::vector<int> taken =
      a.list.TakeNext(static_cast<int>(std::max<std::size_t>(monitors, 1)), a.settings.randomOrder != 0,
                      [&random] { return static_cast<unsigned>(random()); });
  if (taken.empty()) {
    EndChange(false);
    return;
  }
  change->others.clear();
  for (std::size_t i = 1; i < taken.size(); ++i) change->others.push_back(a.list.At(taken[i]).FullPath());
  TryEntry(taken.front(), change);
}

void TryEntry(int index, const std::shared_ptr<Change>& change) {
  AppState& a = app();
  const std::string path = a.list.At(index).FullPath();
  // An entry whose file has vanished leaves the list; then choose again.
  // Only a file that is really gone leaves: one held open by another program stays.
  if (FileGone(path)) {
    RemoveEntry(index, path);
    if (change->nextEntry) {
      TryNextEntry(change);
    } else {
      EndChange(false);
    }
    return;
  }
  const bool suggested = StyleSuggested();
  const PictureJob job = JobFor(path, PictureJob::Purpose::Wallpaper, change->others);
  const bool spanned = job.parts.size() > 1;
  pictureWorker().Submit(job, [=](PictureResult& r) {
    AppState& a = app();
    switch (r.outcome) {
      case PictureResult::Outcome::Done:
        ShowResult(index, path, r, suggested);
        // The system is pointed at the bitmap only when it holds this wallpaper.
        PointDesktopAt(r.style, spanned);
        shownPaths = {path};
        shownPaths.insert(shownPaths.end(), change->others.begin(), change->others.end());
        EndChange(true);
        return;
      case PictureResult::Outcome::NotDecoded:
        if (FileGone(path)) {  // deleted while it waited for the worker
          RemoveEntry(index, path);
          if (change->nextEntry) {
            TryNextEntry(change);
            return;
          }
        } else if (change->nextEntry && ++change->failures < a.list.Count()) {
          // Every entry gets one chance: a list of which no picture loads ends the search.
          const int next = index + 1 < a.list.Count() ? index + 1 : 0;
          a.list.Select(next);
          TryEntry(next, change);
          return;
        }
        EndChange(true);
        return;
      case PictureResult::Outcome::NotWritten:
        // A bitmap that cannot be saved leaves the desktop and its settings as they were.
        ShowResult(index, path, r, suggested);
        EndChange(true);
        return;
      case PictureResult::Outcome::Stopped:
        EndChange(false);
        return;
    }
  });
}

void ChangeCommand() {
  AppState& a = app();
  if (a.list.Count() < 1) return;  // nothing to change
  ui().ShowProgress(std::string());
  a.list.SetManualStyle(false);
  ui().CloseStyleList();  // the entry changes under it; closing it picks nothing
  a.commands.HoldUntilFinished();
  TryNextEntry(std::make_shared<Change>());
}

void ApplySelectedCommand() {
  AppState& a = app();
  const int i = a.list.Selected();
  if (!a.list.Has(i)) return;
  // A picture refused as too large or damaged says why instead of changing nothing.
  if (ReportPictureProblem(a.list.At(i).FullPath())) return;
  ui().ShowProgress(std::string());
  a.commands.HoldUntilFinished();
  auto change = std::make_shared<Change>();
  change->nextEntry = false;
  TryEntry(i, change);
}

void Preview(bool picked, std::function<void()> after) {
  AppState& a = app();
  const int i = a.list.Selected();
  if (!a.list.Has(i)) {
    if (after) after();
    return;
  }
  const std::string path = a.list.At(i).FullPath();
  if (FileGone(path)) {
    a.commands.Submit({"Forget a missing picture", CommandCore::Kind::Other, [i, path] { RemoveEntry(i, path); }});
    if (after) after();
    return;
  }
  const bool suggested = StyleSuggested();
  pictureWorker().Submit(JobFor(path, PictureJob::Purpose::Preview), [=](PictureResult& r) {
    if (r.outcome == PictureResult::Outcome::Done) {
      ShowResult(i, path, r, suggested);
    } else if (r.outcome == PictureResult::Outcome::NotDecoded && picked && StillSelected(i, path)) {
      ReportPictureProblem(path, true);
    }
    if (after) after();
  });
}

void ShowImageInfoNow() {
  AppState& a = app();
  const int i = a.list.Selected();
  if (!a.list.Has(i)) return;
  const vd::ListEntry& e = a.list.At(i);
  if (shown.path != e.FullPath()) return;  // it could not be decoded
  const int style = vd::SuggestStyle(shown.width + 4, shown.height + 4, ScreenWidth(), ScreenHeight());
  const std::string text = vd::ImageInfoMessage(e.FullPath(), shown.width + 4, shown.height + 4, StyleName(style));
  ui().Message(text, MB_OK | MB_ICONINFORMATION, e.name);
}

void RecomposeCommand() {
  if (shownPaths.empty()) return;  // nothing shown yet
  AppState& a = app();
  const std::vector<std::string> others(shownPaths.begin() + 1, shownPaths.end());
  const PictureJob job = JobFor(shownPaths.front(), PictureJob::Purpose::Wallpaper, others);
  const bool spanned = job.parts.size() > 1;
  a.commands.HoldUntilFinished();
  pictureWorker().Submit(job, [spanned](PictureResult& r) {
    if (r.outcome == PictureResult::Outcome::Done) PointDesktopAt(r.style, spanned);
    app().commands.Finish();
  });
}

}  // namespace

const char* StyleName(int style) { return style >= 0 && style < kStyleCount ? kStyleNames[style] : ""; }

void RequestChange() { app().commands.Submit({"Change Wallpaper", CommandCore::Kind::Change, &ChangeCommand}); }

void RequestApplySelected() {
  app().commands.Submit({"Set as wallpaper", CommandCore::Kind::Other, &ApplySelectedCommand});
}

void RequestRecompose() {
  app().commands.Submit({"Monitors changed", CommandCore::Kind::Recompose, &RecomposeCommand});
}

bool ChangeUnderWay() { return app().commands.ChangeWaitingOrRunning(); }

void RequestPreview(bool picked) { Preview(picked, {}); }

void RequestImageInfo() {
  app().commands.Submit({"Properties", CommandCore::Kind::Other, [] {
                           AppState& a = app();
                           const int i = a.list.Selected();
                           if (!a.list.Has(i) || ReportPictureProblem(a.list.At(i).FullPath())) return;
                           if (shown.path == a.list.At(i).FullPath()) {
                             ShowImageInfoNow();
                             return;
                           }
                           // Its preview is still to come: the box waits for it.
                           a.commands.HoldUntilFinished();
                           Preview(false, [] {
                             ShowImageInfoNow();
                             app().commands.Finish();
                           });
                         }});
}

void StopChanges() {
  app().commands.Shut();
  // A change stops at its next step; a bitmap being written is finished and
  // renamed whole, or not renamed at all.
  pictureWorker().Stop(3000);
}

bool ReportPictureProblem(const std::string& path, bool decodeFailed) {
  static std::string beingReported;
  if (!beingReported.empty() && path == beingReported) return true;
  std::string problem = platform::PictureProblem(path);
  if (problem.empty() && decodeFailed) problem = vd::PictureProblemText(vd::PictureHeader{}, path);
  if (problem.empty()) return false;
  const std::string outer = std::exchange(beingReported, path);
  ui().Message(problem, MB_OK | MB_ICONEXCLAMATION, "Vexa Desktop");
  beingReported = outer;
  return true;
}

}  // namespace vdapp
