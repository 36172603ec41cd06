// Changing the wallpaper and previewing entries: commands for the command
// core whose pictures are made on the picture worker.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_core.h"
#include "app/picture_worker.h"

struct AppState;

namespace vd {
struct HistoryEntry;
}

namespace vdapp {

class Background;
class ListStore;
class UiLink;

class WallpaperChange {
 public:
  WallpaperChange(AppState& state, Background& background, PictureWorker& worker, UiLink& ui, ListStore& lists)
      : state_(state), background_(background), worker_(worker), ui(ui), lists_(lists) {}
  WallpaperChange(const WallpaperChange&) = delete;
  WallpaperChange& operator=(const WallpaperChange&) = delete;

  // The next entry (in order or at random) becomes the wallpaper, with the
  // progress form up. For the cycle timer, start-up, the hot key and "Change
  // Wallpaper"; a request made while a change waits or runs joins that one.
  void RequestChange();
  // The selected entry in the selected style becomes the wallpaper (a
  // double-click, "Set as wallpaper"); a picture that cannot be used says why.
  void RequestApplySelected();
  // The monitors were added, removed or resized: the pictures on them are
  // composed again for the new layout, no new picture taken. A burst of such
  // requests gives one composition.
  void RequestRecompose();
  // "Previous Wallpaper": the picture before the one on the desktop (its
  // files still there) is shown again as it was, in its recorded style. A
  // change after it goes forward through what was shown before new pictures
  // are taken.
  void RequestPrevious();
  // Something was shown before the picture on the desktop.
  bool PreviousAvailable();
  // Reads the kept history; call once at start, after the paths are known.
  void StartHistory();
  // A change waits or runs.
  bool ChangeUnderWay();
  // The picture VD last put on the primary monitor in this run; "" before the first.
  std::string ShownPicture();

  // Shows the selected entry in the preview. picked: the user chose it (a
  // click); one that cannot be shown then says why. A newer request
  // supersedes one still decoding.
  void RequestPreview(bool picked);
  // The message box with the selected picture's file name, size and suggested
  // style (a command: it waits for the preview of that picture).
  void RequestImageInfo();

  // For the program's end: no change completes after it; relays already
  // answered are put into the list, and the list file is written out.
  void StopChanges();

  // Tells the user in a message box why the picture at path cannot be used
  // (too large, damaged, not a picture); shows nothing when its header is
  // sound. The header is read off the UI thread; then(told) runs on the UI
  // thread afterwards. decodeFailed: the picture was tried and could not be
  // decoded; when its header says nothing against it, the box says it cannot
  // be read. While a box about path is open, a second report for it shows
  // nothing and counts as told.
  void ReportPictureProblem(const std::string& path, bool decodeFailed, std::function<void(bool& told)> then = {});

  // Once a second, on the UI thread: a command that holds the core after its
  // work came back and never ended is released (and logged), and commands
  // whose wake-up message was lost run. Call once at start.
  void StartCommandWatch();

 private:
  // One change from its start to the end of its last attempt.
  struct Change;
  using ChangePtr = std::shared_ptr<Change>;
  // A running command's hold on the core, shared by the continuations of its
  // work: the last of them to go releases it, if nothing finished it before.
  using HoldPtr = std::shared_ptr<CommandCore::Hold>;

  bool StyleSuggested() const;
  bool DesktopShowsOurBitmap() const;
  HoldPtr HoldCore();
  PictureJob JobFor(const std::string& path, PictureJob::Purpose purpose, const std::vector<std::string>& others = {});
  bool StillSelected(int index, const std::string& path) const;
  void ShowResult(int index, const std::string& path, PictureResult& r, bool styleSuggested);
  void PointDesktopAt(int style, bool spanned, std::function<void()> then);
  void EndChange(const ChangePtr& change, bool attempted);
  int PicturesPerChange() const;
  void TryNextEntry(const ChangePtr& change);
  void TryTaken(const std::vector<int>& taken, const ChangePtr& change);
  void TryEntry(int index, const ChangePtr& change);
  void NotDecoded(int index, const std::string& path, const ChangePtr& change, bool gone);
  void ComposeEntry(int index, const std::string& path, const ChangePtr& change);
  void CheckHistory(const ChangePtr& change, std::function<void(std::vector<bool>&)> then);
  void ShowShown(const vd::HistoryEntry& entry, const ChangePtr& change);
  void ChangeCommand();
  void PreviousCommand();
  void ApplySelectedCommand();
  void Preview(bool picked, std::function<void()> after);
  void ShowImageInfoNow();
  void RecomposeCommand();
  bool TellPictureProblem(const std::string& path, const std::string& problem);

  AppState& state_;
  Background& background_;
  PictureWorker& worker_;
  UiLink& ui;
  ListStore& lists_;
};

// The styles by number, named as the style list shows them ("" for none).
inline constexpr int kStyleCount = 5;
const char* StyleName(int style);

}  // namespace vdapp
