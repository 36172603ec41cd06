// Going back and forth through what was on the desktop: "Previous
// Wallpaper", a change that goes forward again after it, and the picture on
// the desktop when nothing was put up in this run yet.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/background.h"
#include "app/change_steps.h"
#include "app/history_steps.h"
#include "app/history_store.h"
#include "app/ui_port.h"
#include "app/wallpaper_change.h"
#include "engine/history.h"
#include "engine/monitor_layout.h"
#include "engine/paths.h"
#include "platform/file_system.h"

namespace vdapp {

// Which entries of the history still have their files, checked on the
// disk's lane over a copy; then(usable) runs on the UI thread.
void WallpaperChange::CheckHistory(const ChangePtr& change, std::function<void(std::vector<bool>&)> then) {
  RunOff<std::vector<bool>>(
      background_.Disk(),
      [copy = state_.history] {
        platform::FileSystem fs;
        return UsableEntries(copy, [&fs](const std::string& p) { return vd::NormalFileExists(fs, p); });
      },
      Carrying(change->hold, std::move(then)));
}

// Shows an entry of the history again as it was shown: its pictures, in its
// style whatever the style settings say now. Nothing is recorded, and the
// list's selection and random round stay as they are.
void WallpaperChange::ShowShown(const vd::HistoryEntry& entry, const ChangePtr& change) {
  const std::vector<vd::Monitor> layout = CurrentLayout();
  change->others.assign(entry.pictures.begin() + 1, entry.pictures.end());
  PictureJob job = JobFor(entry.pictures.front(), PictureJob::Purpose::Wallpaper, change->others);
  job.style = entry.style;
  const bool spanned = job.parts.size() > 1;
  worker_.Submit(job, Carrying(change->hold, [=, this, pictures = entry.pictures](PictureResult& r) {
                   if (r.outcome != PictureResult::Outcome::Done) {
                     EndChange(change, r.outcome != PictureResult::Outcome::Stopped);
                     return;
                   }
                   PointDesktopAt(r.style, spanned, Carrying(change->hold, [=, this] {
                                    state_.change.shownPaths = pictures;
                                    state_.change.composedFor = layout;
                                    EndChange(change, true);
                                  }));
                 }));
}

void WallpaperChange::PreviousCommand() {
  AppState& a = state_;
  if (!a.history.CanGoBack()) return;
  ui().ShowProgress(std::string());
  ui().CloseStyleList();
  auto change = std::make_shared<Change>();
  change->nextEntry = false;
  change->hold = HoldCore();
  CheckHistory(change, [this, change](std::vector<bool>& usable) {
    AppState& a = state_;
    const int i = StepBack(a.history, usable);
    if (i < 0) {  // all that came before is gone
      EndChange(change, false);
      return;
    }
    if (a.historyStore) a.historyStore->Save();
    ShowShown(a.history.At(i), change);
  });
}

void WallpaperChange::RequestPrevious() {
  // Not merged with a change: it waits behind one under way, and each press goes one step.
  state_.commands.Submit({"Previous Wallpaper", CommandCore::Kind::Other, [this] { PreviousCommand(); }});
}

bool WallpaperChange::PreviousAvailable() { return state_.history.CanGoBack(); }

void WallpaperChange::StartHistory() {
  AppState& a = state_;
  a.historyStore =
      std::make_unique<HistoryStore>(a.history, a.paths.historyPath, background_.Disk(), background_.Writer());
  a.historyStore->Load();
}

std::string WallpaperChange::ShownPicture() {
  const std::vector<std::string>& shownPaths = state_.change.shownPaths;
  if (!shownPaths.empty()) return shownPaths[vd::PrimaryPictureIndex(state_.change.composedFor, shownPaths.size())];
  // Nothing put up in this run yet: while the desktop still shows VD's
  // bitmap, it holds the history's current entry from the last run.
  const AppState& a = state_;
  if (a.history.Count() == 0 || !DesktopShowsOurBitmap()) return {};
  const std::vector<std::string>& pictures = a.history.At(a.history.Position()).pictures;
  if (pictures.empty()) return {};
  return pictures[vd::PrimaryPictureIndex(CurrentLayout(), pictures.size())];
}

}  // namespace vdapp
