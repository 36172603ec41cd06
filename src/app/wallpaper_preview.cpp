// The preview of the selected entry, its Properties box, and what the user
// is told when a picture cannot be used.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/app_state.h"
#include "app/background.h"
#include "app/change_steps.h"
#include "app/list_store.h"
#include "app/picture_worker.h"
#include "app/ui_port.h"
#include "app/wallpaper_change.h"
#include "engine/picture_header.h"
#include "engine/style_rule.h"
#include "platform/picture_loader.h"

namespace vdapp {

void WallpaperChange::Preview(bool picked, std::function<void()> after) {
  AppState& a = state_;
  const int i = a.list.Selected();
  if (!a.list.Has(i)) {
    if (after) after();
    return;
  }
  const std::string path = a.list.At(i).FullPath();
  const unsigned appliesBefore = state_.change.appliesByHand;
  RunOff<bool>(
      background_.Disk(), [path] { return FileGone(path); },
      [=, this](bool& gone) {
        if (gone) {
          state_.commands.Submit(
              {"Forget a missing picture", CommandCore::Kind::Other, [this, i, path] { lists_.ForgetEntry(i, path); }});
          if (after) after();
          return;
        }
        if (!StillSelected(i, path)) {  // another entry was clicked meanwhile: its own preview comes
          if (after) after();
          return;
        }
        const bool suggested = StyleSuggested();
        worker_.Submit(JobFor(path, PictureJob::Purpose::Preview), [=, this](PictureResult& r) {
          if (r.outcome == PictureResult::Outcome::Done) {
            ShowResult(i, path, r, suggested);
          } else if (r.outcome == PictureResult::Outcome::NotDecoded && picked && StillSelected(i, path) &&
                     !(state_.change.appliesByHand != appliesBefore && state_.change.lastAppliedByHand == path)) {
            ReportPictureProblem(path, true);
          }
          if (after) after();
        });
      });
}

void WallpaperChange::ShowImageInfoNow() {
  AppState& a = state_;
  const int i = a.list.Selected();
  if (!a.list.Has(i)) return;
  const vd::ListEntry& e = a.list.At(i);
  const AppState::ChangeMemory& shown = state_.change;
  if (shown.previewPath != e.FullPath()) return;  // it could not be decoded
  const int width = shown.previewWidth + 4, height = shown.previewHeight + 4;
  const int style = vd::SuggestStyle(width, height, ScreenWidth(), ScreenHeight());
  const std::string text = vd::ImageInfoMessage(e.FullPath(), width, height, StyleName(style));
  ui().Message(text, MB_OK | MB_ICONINFORMATION, e.name);
}

// Says why the picture cannot be used, in a message box on the UI thread;
// problem is empty when nothing is wrong. True when it was told.
bool WallpaperChange::TellPictureProblem(const std::string& path, const std::string& problem) {
  std::string& beingReported = state_.change.beingReported;
  if (!beingReported.empty() && path == beingReported) return true;
  if (problem.empty()) return false;
  const std::string outer = std::exchange(beingReported, path);
  ui().Message(problem, MB_OK | MB_ICONEXCLAMATION, "Vexa Desktop");
  beingReported = outer;
  return true;
}

void WallpaperChange::RequestPreview(bool picked) { Preview(picked, {}); }

void WallpaperChange::RequestImageInfo() {
  state_.commands.Submit({"Properties", CommandCore::Kind::Other, [this] {
                            AppState& a = state_;
                            const int i = a.list.Selected();
                            if (!a.list.Has(i)) return;
                            HoldPtr hold = HoldCore();
                            const std::string path = a.list.At(i).FullPath();
                            ReportPictureProblem(path, false, Carrying(hold, [this, hold, path](bool& problem) {
                                                   if (problem) {
                                                     hold->Finish();
                                                     return;
                                                   }
                                                   if (state_.change.previewPath == path) {
                                                     ShowImageInfoNow();
                                                     hold->Finish();
                                                     return;
                                                   }
                                                   // Its preview is still to come: the box waits for it.
                                                   Preview(false, Carrying(hold, [this, hold] {
                                                             ShowImageInfoNow();
                                                             hold->Finish();
                                                           }));
                                                 }));
                          }});
}

void WallpaperChange::ReportPictureProblem(const std::string& path, bool decodeFailed,
                                           std::function<void(bool&)> then) {
  // The header is read on the disk's lane: the file may be on a drive that is slow to answer.
  RunOff<std::string>(
      background_.Disk(),
      [path, decodeFailed] {
        std::string problem = platform::PictureProblem(path);
        if (problem.empty() && decodeFailed) problem = vd::PictureProblemText(vd::PictureHeader{}, path);
        return problem;
      },
      [this, path, then](std::string& problem) {
        bool told = TellPictureProblem(path, problem);
        if (then) then(told);
      });
}

}  // namespace vdapp
