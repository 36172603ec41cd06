#include "app/wallpaper_change.h"

#include <windows.h>

#include <memory>
#include <random>
#include <utility>

#include "app/app_state.h"
#include "app/list_store.h"
#include "app/picture_worker.h"
#include "app/ui_port.h"
#include "engine/paths.h"
#include "engine/picture_header.h"
#include "engine/selection.h"
#include "engine/settings.h"
#include "engine/style_rule.h"
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

PictureJob JobFor(const std::string& path, PictureJob::Purpose purpose) {
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

bool FileGone(const std::string& path) { return !vd::ListPathSpeller(app().fs).Spell(path); }

void ForgetEntry(int index, const std::string& path) { RemoveEntry(index, path); }

void PointDesktopAt(int style) {
  AppState& a = app();
  if (a.registry) {
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "WallpaperStyle",
                           std::to_string(vd::DesktopStyleValue(style)));
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "Wallpaper", a.paths.wallpaperBitmapPath);
    a.registry->WriteValue(vd::Hive::CurrentUser, vd::kDesktopKey, "TileWallpaper", style == 1 ? "1" : "0");
  }
  ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(a.paths.wallpaperBitmapPath.c_str()),
                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

// One change from its start to the end of its last attempt.
struct Change {
  bool nextEntry = true;  // false: the selected entry, as chosen by hand
  int failures = 0;
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
  const int k = a.list.NextIndex(a.settings.randomOrder != 0, random());
  a.list.Select(k);
  TryEntry(k, change);
}

void TryEntry(int index, const std::shared_ptr<Change>& change) {
  AppState& a = app();
  const std::string path = a.list.At(index).FullPath();
  // An entry whose file has vanished leaves the list; then choose again.
  // Only a file that is really gone leaves: one held open by another program stays.
  if (FileGone(path)) {
    ForgetEntry(index, path);
    if (change->nextEntry) {
      TryNextEntry(change);
    } else {
      EndChange(false);
    }
    return;
  }
  const bool suggested = StyleSuggested();
  pictureWorker().Submit(JobFor(path, PictureJob::Purpose::Wallpaper), [=](PictureResult& r) {
    AppState& a = app();
    switch (r.outcome) {
      case PictureResult::Outcome::Done:
        ShowResult(index, path, r, suggested);
        // The system is pointed at the bitmap only when it holds this wallpaper.
        PointDesktopAt(r.style);
        EndChange(true);
        return;
      case PictureResult::Outcome::NotDecoded:
        if (FileGone(path)) {  // deleted while it waited for the worker
          ForgetEntry(index, path);
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
    a.commands.Submit({"Forget a missing picture", CommandCore::Kind::Other, [i, path] { ForgetEntry(i, path); }});
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

}  // namespace

const char* StyleName(int style) { return style >= 0 && style < 5 ? kStyleNames[style] : ""; }

void RequestChange() { app().commands.Submit({"Change Wallpaper", CommandCore::Kind::Change, &ChangeCommand}); }

void RequestApplySelected() {
  app().commands.Submit({"Set as wallpaper", CommandCore::Kind::Other, &ApplySelectedCommand});
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
