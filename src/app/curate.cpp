#include "app/curate.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "app/app_state.h"
#include "app/background.h"
#include "app/list_store.h"
#include "app/ui_port.h"
#include "app/wallpaper_change.h"
#include "engine/dropped_files.h"
#include "engine/file_dialog_names.h"
#include "engine/folder_walk.h"
#include "engine/paths.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace vdapp {

namespace {

const char kNothingShown[] = "Vexa Desktop has not changed the wallpaper since it started, so it knows no picture "
                             "on the desktop yet.";

}  // namespace

// The entry for path: the selected one when it names path (a change selects
// what it shows), else the first that does; -1 when none does.
int Curate::EntryOf(const std::string& path) const {
  const WallpaperModel& list = state_.list;
  if (list.Has(list.Selected()) && list.At(list.Selected()).FullPath() == path) return list.Selected();
  for (int i = 0; i < list.Count(); ++i)
    if (list.At(i).FullPath() == path) return i;
  return -1;
}

void Curate::TakeDropped(vd::DroppedItems& items) {
  AppState& a = state_;
  // A list replaces what is there, so it comes first; what else was dropped
  // goes into the list the user ends up with.
  for (const std::string& list : items.lists) {
    const std::string name = vd::SplitPath(list, 2) + vd::SplitPath(list, 3);
    if (ui().Message("Replace the list with " + name + "?", MB_YESNO | MB_ICONQUESTION, "Vexa Desktop") != IDYES)
      continue;
    lists_.LoadList(list, true);
  }
  a.list.Append(std::move(items.pictures));
  for (const std::string& folder : items.folders)
    lists_.AddFolder(folder, a.settings.recurseSubFolders != 0,
                     vd::StripFilterStars(vd::PictureFolderFilter(vd::PictureExtensions())));
  lists_.SaveList(std::string());
  if (items.skipped.Count() > 0) ui().PostNotice(items.skipped.Message(), "Vexa Desktop");
}

void Curate::ShowPictureInFolder(const std::string& path, const std::string& title) {
  if (path.empty()) {
    ui().Message(kNothingShown, MB_OK | MB_ICONINFORMATION, title);
    return;
  }
  // Looked for on the disk's lane: the drive may be slow to answer.
  RunOff<bool>(
      background_.Disk(),
      [path] {
        platform::FileSystem fs;
        return vd::NormalFileExists(fs, path);
      },
      [this, path, title](bool& there) {
        if (!there) {
          ui().Message("The picture is no longer there:\r\n" + path, MB_OK | MB_ICONEXCLAMATION, title);
        } else if (!platform::ShowInExplorer(path)) {
          ui().Message("Explorer could not be started to show\r\n" + path, MB_OK | MB_ICONEXCLAMATION, title);
        }
      });
}

void Curate::ShowWallpaperInFolder() { ShowPictureInFolder(change_.ShownPicture(), "Show Picture in Folder"); }

void Curate::RemoveShownPicture() {
  state_.commands.Submit({"Remove This Picture", CommandCore::Kind::Other, [this] {
                            const std::string path = change_.ShownPicture();
                            if (path.empty()) {
                              ui().Message(kNothingShown, MB_OK | MB_ICONINFORMATION, "Remove This Picture");
                              return;
                            }
                            // An entry taken out already (by the image menu, say) leaves
                            // only the change to do.
                            if (const int i = EntryOf(path); i >= 0) {
                              lists_.RemoveEntry(i, path);
                              // The change goes on from where the removed entry was.
                              state_.list.Select(i - 1);
                            }
                            change_.RequestChange();
                          }});
}

void Curate::AddDropped(std::vector<std::string> paths) {
  if (paths.empty()) return;
  state_.commands.Submit({"Drop", CommandCore::Kind::Other, [this, paths = std::move(paths)] {
                            auto hold = std::make_shared<CommandCore::Hold>(state_.commands.HoldUntilFinished());
                            hold->Awaiting();
                            RunOff<vd::DroppedItems>(
                                background_.Disk(),
                                [paths] {
                                  platform::FileSystem fs;  // the lane's own
                                  return vd::SortDroppedFiles(fs, paths);
                                },
                                [this, hold](vd::DroppedItems& items) {
                                  hold->Arrived();
                                  TakeDropped(items);
                                  hold->Finish();
                                });
                          }});
}

}  // namespace vdapp
