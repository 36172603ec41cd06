// The wallpaper change: the next entry from its choice to the desktop, the
// picture chosen by hand, a new layout of the monitors, and the commands'
// watch. Going back through what was shown is in wallpaper_history.cpp, the
// preview and what the user is told of a picture in wallpaper_preview.cpp.
#include "app/wallpaper_change.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <random>
#include <utility>

#include "app/app_state.h"
#include "app/background.h"
#include "app/change_steps.h"
#include "app/history_steps.h"
#include "app/history_store.h"
#include "app/list_store.h"
#include "app/picture_worker.h"
#include "app/ui_port.h"
#include "engine/list_file.h"
#include "engine/monitor_layout.h"
#include "engine/paths.h"
#include "engine/selection.h"
#include "engine/settings.h"
#include "engine/style_rule.h"
#include "platform/file_system.h"
#include "platform/monitors.h"

namespace vdapp {

namespace {

const char* const kStyleNames[] = {"Centered", "Tiled", "Stretched", "Fill", "Fit"};
constexpr int kRecomposeQuietId = 1;

bool SameLayout(const std::vector<vd::Monitor>& a, const std::vector<vd::Monitor>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const vd::Monitor& x, const vd::Monitor& y) {
    return x.primary == y.primary && x.rect.x == y.rect.x && x.rect.y == y.rect.y && x.rect.width == y.rect.width &&
           x.rect.height == y.rect.height;
  });
}

std::mt19937 TimeOfDayRandom() {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  const double seconds = t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
  return std::mt19937(vd::RandomFromTimeOfDay(seconds));
}

}  // namespace

// The rule picks the style (it is on and the user picked none for the entry
// on screen), or no style is chosen at all; else the chosen one holds.
bool WallpaperChange::StyleSuggested() const {
  const AppState& a = state_;
  return (a.settings.autoDecision != 0 && !a.list.ManualStyle()) || a.list.Style() < 0;
}

// The desktop's "Wallpaper" value names VD's bitmap: nobody has set another
// wallpaper since. File names are compared as the file system does, without
// regard to case.
bool WallpaperChange::DesktopShowsOurBitmap() const {
  const AppState& a = state_;
  if (!a.registry) return false;
  const std::string value = a.registry->ReadValue(vd::Hive::CurrentUser, vd::kDesktopKey, "Wallpaper", "");
  auto wide = [](const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    w.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(),
                                                            static_cast<int>(w.size()))));
    return w;
  };
  const std::wstring ours = wide(a.paths.wallpaperBitmapPath), named = wide(value);
  return !ours.empty() && ::CompareStringOrdinal(named.data(), static_cast<int>(named.size()), ours.data(),
                                                 static_cast<int>(ours.size()), TRUE) == CSTR_EQUAL;
}

HoldPtr WallpaperChange::HoldCore() { return std::make_shared<CommandCore::Hold>(state_.commands.HoldUntilFinished()); }

// others: the pictures for the second monitor on, in their order; none puts
// path on every monitor.
PictureJob WallpaperChange::JobFor(const std::string& path, PictureJob::Purpose purpose,
                                   const std::vector<std::string>& others) {
  const AppState& a = state_;
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

bool WallpaperChange::StillSelected(int index, const std::string& path) const {
  const AppState& a = state_;
  return a.list.Selected() == index && a.list.Has(index) && a.list.At(index).FullPath() == path;
}

// Shows a finished picture, unless the user has selected another meanwhile.
void WallpaperChange::ShowResult(int index, const std::string& path, PictureResult& r, bool styleSuggested) {
  if (!StillSelected(index, path)) return;
  // The suggestion is the program's choice, not the user's pick.
  if (styleSuggested) state_.list.SetStyle(r.style);
  state_.change.previewPath = path;
  state_.change.previewWidth = r.pictureWidth;
  state_.change.previewHeight = r.pictureHeight;
  if (!r.preview.Empty()) ui().ShowPreview(std::move(r.preview));
}

// spanned: the bitmap covers every monitor. Shown with the span position, or
// tiled from the primary monitor where the system has none. The system is
// told on the shell's lane: it sends the news to every top-level window and
// waits for each, a hung one too. then() runs once that is done.
void WallpaperChange::PointDesktopAt(int style, bool spanned, std::function<void()> then) {
  AppState& a = state_;
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
  background_.Shell().Run(
      [bitmap = a.paths.wallpaperBitmapPath] {
        ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(bitmap.c_str()),
                                SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
      },
      std::move(then));
}

void WallpaperChange::EndChange(const ChangePtr& change, bool attempted) {
  if (attempted) ui().WallpaperShown();
  ui().CloseProgress();
  change->hold->Finish();
}

// "A different picture on each monitor": the next entries, one per monitor.
int WallpaperChange::PicturesPerChange() const {
  const std::size_t monitors = state_.settings.multipleMonitors != 0 ? platform::DisplayMonitors().size() : 1;
  return static_cast<int>(std::max<std::size_t>(monitors, 1));
}

void WallpaperChange::TryNextEntry(const ChangePtr& change) {
  AppState& a = state_;
  const int n = a.list.Count();
  if (n < 1 || change->failures >= n) {
    EndChange(change, n >= 1);
    return;
  }
  std::mt19937 random = TimeOfDayRandom();
  TryTaken(a.list.TakeNext(PicturesPerChange(), a.settings.randomOrder != 0,
                           [&random] { return static_cast<unsigned>(random()); }),
           change);
}

void WallpaperChange::TryTaken(const std::vector<int>& taken, const ChangePtr& change) {
  AppState& a = state_;
  if (taken.empty()) {
    EndChange(change, false);
    return;
  }
  change->others.clear();
  for (std::size_t i = 1; i < taken.size(); ++i) change->others.push_back(a.list.At(taken[i]).FullPath());
  TryEntry(taken.front(), change);
}

void WallpaperChange::TryEntry(int index, const ChangePtr& change) {
  const std::string path = state_.list.At(index).FullPath();
  // An entry whose file has vanished leaves the list; then choose again.
  // Only a file that is really gone leaves: one held open by another program stays.
  RunOff<bool>(
      background_.Disk(), [path] { return FileGone(path); },
      Carrying(change->hold, [this, index, path, change](bool& gone) {
        if (!gone) {
          ComposeEntry(index, path, change);
          return;
        }
        lists_.ForgetEntry(index, path);
        if (change->nextEntry) {
          TryNextEntry(change);
        } else {
          EndChange(change, false);
        }
      }));
}

// The picture could not be decoded: another entry, or the end of the change.
void WallpaperChange::NotDecoded(int index, const std::string& path, const ChangePtr& change, bool gone) {
  AppState& a = state_;
  if (gone) {  // deleted while it waited for the worker
    lists_.ForgetEntry(index, path);
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
  EndChange(change, true);
}

void WallpaperChange::ComposeEntry(int index, const std::string& path, const ChangePtr& change) {
  const bool suggested = StyleSuggested();
  const std::vector<vd::Monitor> layout = CurrentLayout();
  const PictureJob job = JobFor(path, PictureJob::Purpose::Wallpaper, change->others);
  const bool spanned = job.parts.size() > 1;
  worker_.Submit(job, Carrying(change->hold, [=, this](PictureResult& r) {
                   switch (r.outcome) {
                     case PictureResult::Outcome::Done:
                       ShowResult(index, path, r, suggested);
                       // The system is pointed at the bitmap only when it holds this wallpaper.
                       PointDesktopAt(r.style, spanned, Carrying(change->hold, [=, this, style = r.style] {
                                        std::vector<std::string>& shownPaths = state_.change.shownPaths;
                                        shownPaths = {path};
                                        shownPaths.insert(shownPaths.end(), change->others.begin(),
                                                          change->others.end());
                                        state_.change.composedFor = layout;
                                        // The one place a new picture is known to be on the desktop.
                                        if (state_.historyStore) state_.historyStore->Record({shownPaths, style});
                                        EndChange(change, true);
                                      }));
                       return;
                     case PictureResult::Outcome::NotDecoded:
                       RunOff<bool>(
                           background_.Disk(), [path] { return FileGone(path); },
                           Carrying(change->hold, [=, this](bool& gone) { NotDecoded(index, path, change, gone); }));
                       return;
                     case PictureResult::Outcome::NotWritten:
                       // A bitmap that cannot be saved leaves the desktop and its settings as they were.
                       ShowResult(index, path, r, suggested);
                       EndChange(change, true);
                       return;
                     case PictureResult::Outcome::Stopped:
                       EndChange(change, false);
                       return;
                   }
                 }));
}

void WallpaperChange::ChangeCommand() {
  AppState& a = state_;
  if (a.list.Count() < 1) return;  // nothing to change
  ui().ShowProgress(std::string());
  a.list.SetManualStyle(false);
  ui().CloseStyleList();  // the entry changes under it; closing it picks nothing
  auto change = std::make_shared<Change>();
  change->hold = HoldCore();
  if (!a.history.CanGoForward()) {
    TryNextEntry(change);
    return;
  }
  // Back in the history: forward through what was shown first.
  CheckHistory(change, [this, change](std::vector<bool>& usable) {
    AppState& a = state_;
    std::mt19937 random = TimeOfDayRandom();
    const ChangeStep step = StepForChange(a.history, usable, a.list, PicturesPerChange(), a.settings.randomOrder != 0,
                                          [&random] { return static_cast<unsigned>(random()); });
    if (a.historyStore) a.historyStore->Save();
    if (step.historyIndex >= 0) {
      ShowShown(a.history.At(step.historyIndex), change);
    } else if (a.list.Count() < 1) {
      EndChange(change, false);
    } else {
      TryTaken(step.taken, change);
    }
  });
}

void WallpaperChange::ApplySelectedCommand() {
  AppState& a = state_;
  const int i = a.list.Selected();
  if (!a.list.Has(i)) return;
  ++a.change.appliesByHand;
  a.change.lastAppliedByHand = a.list.At(i).FullPath();
  auto change = std::make_shared<Change>();
  change->nextEntry = false;
  change->hold = HoldCore();
  // A picture refused as too large or damaged says why instead of changing nothing.
  const std::string path = a.list.At(i).FullPath();
  ReportPictureProblem(path, false, Carrying(change->hold, [this, i, path, change](bool& problem) {
                         if (problem || !state_.list.Has(i) || state_.list.At(i).FullPath() != path) {
                           change->hold->Finish();
                           return;
                         }
                         ui().ShowProgress(std::string());
                         TryEntry(i, change);
                       }));
}

void WallpaperChange::RecomposeCommand() {
  const std::vector<std::string>& shownPaths = state_.change.shownPaths;
  if (shownPaths.empty()) return;  // nothing shown yet
  // A taskbar that moved changes the work area, not the monitors; and a
  // wallpaper another program set since stays.
  const std::vector<vd::Monitor> layout = CurrentLayout();
  if (SameLayout(layout, state_.change.composedFor) || !DesktopShowsOurBitmap()) return;
  const std::vector<std::string> others(shownPaths.begin() + 1, shownPaths.end());
  const PictureJob job = JobFor(shownPaths.front(), PictureJob::Purpose::Wallpaper, others);
  const bool spanned = job.parts.size() > 1;
  HoldPtr hold = HoldCore();
  worker_.Submit(job, Carrying(hold, [this, hold, spanned, layout](PictureResult& r) {
                   if (r.outcome != PictureResult::Outcome::Done) {
                     hold->Finish();
                     return;
                   }
                   PointDesktopAt(r.style, spanned, Carrying(hold, [this, hold, layout] {
                                    state_.change.composedFor = layout;
                                    hold->Finish();
                                  }));
                 }));
}

const char* StyleName(int style) { return style >= 0 && style < kStyleCount ? kStyleNames[style] : ""; }

void WallpaperChange::RequestChange() {
  state_.commands.Submit({"Change Wallpaper", CommandCore::Kind::Change, [this] { ChangeCommand(); }});
}

void WallpaperChange::RequestApplySelected() {
  state_.commands.Submit({"Set as wallpaper", CommandCore::Kind::Other, [this] { ApplySelectedCommand(); }});
}

void WallpaperChange::RequestRecompose() {
  // A burst of layout changes (a monitor waking up, a driver resetting) is
  // over when none has come for two seconds (one change takes up to a second
  // on a busy machine): one composition, for the last.
  background_.AfterQuietFor(kRecomposeQuietId, 2000, [this] {
    state_.commands.Submit({"Monitors changed", CommandCore::Kind::Recompose, [this] { RecomposeCommand(); }});
  });
}

bool WallpaperChange::ChangeUnderWay() { return state_.commands.ChangeWaitingOrRunning(); }

void WallpaperChange::StopChanges() {
  // Relays already answered are carried into the list, which is saved and
  // written out before the program ends.
  if (state_.commands.Shut() > 0) lists_.SaveList(std::string());
  background_.Writer().Flush(5000);
  background_.Shell().Stop();
  background_.Disk().Stop();
  // A change stops at its next step; a bitmap being written is finished and
  // renamed whole, or not renamed at all.
  worker_.Stop(3000);
}

void WallpaperChange::StartCommandWatch() {
  state_.commands.SetScheduler([this] { background_.RunSoon([this] { state_.commands.RunWaiting(); }); });
  background_.EverySecond([this] {
    AppState& a = state_;
    const std::string stranded = a.commands.ReleaseStranded();
    if (!stranded.empty()) {
      ui().CloseProgress();
      LogLine("\"" + stranded + "\" held the commands after its work had come back and never ended; released.");
    }
    // Commands queued for the message loop whose wake-up was lost.
    if (!a.commands.Busy() && a.commands.Waiting() > 0) a.commands.RunWaiting();
  });
}

}  // namespace vdapp
