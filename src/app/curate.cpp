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

// The entry for path: the selected one when it names path (a change selects
// what it shows), else the first that does; -1 when none does.
int EntryOf(const std::string& path) {
  const WallpaperModel& list = app().list;
  if (list.Has(list.Selected()) && list.At(list.Selected()).FullPath() == path) return list.Selected();
  for (int i = 0; i < list.Count(); ++i)
    if (list.At(i).FullPath() == path) return i;
  return -1;
}

void TakeDropped(vd::DroppedItems& items) {
  AppState& a = app();
  // A list replaces what is there, so it comes first; what else was dropped
  // goes into the list the user ends up with.
  for (const std::string& list : items.lists) {
    const std::string name = vd::SplitPath(list, 2) + vd::SplitPath(list, 3);
    if (ui().Message("Replace the list with " + name + "?", MB_YESNO | MB_ICONQUESTION, "Vexa Desktop") != IDYES)
      continue;
    LoadList(list, true);
  }
  a.list.Append(std::move(items.pictures));
  for (const std::string& folder : items.folders)
    AddFolder(folder, a.settings.recurseSubFolders != 0,
              vd::StripFilterStars(vd::PictureFolderFilter(vd::PictureExtensions())));
  SaveList(std::string());
  if (items.skipped.Count() > 0) ui().PostNotice(items.skipped.Message(), "Vexa Desktop");
}

}  // namespace

void ShowPictureInFolder(const std::string& path, const std::string& title) {
  if (path.empty()) {
    ui().Message(kNothingShown, MB_OK | MB_ICONINFORMATION, title);
    return;
  }
  // Looked for on the disk's lane: the drive may be slow to answer.
  RunOff<bool>(
      diskLane(),
      [path] {
        platform::FileSystem fs;
        return vd::NormalFileExists(fs, path);
      },
      [path, title](bool& there) {
        if (!there) {
          ui().Message("The picture is no longer there:\r\n" + path, MB_OK | MB_ICONEXCLAMATION, title);
        } else if (!platform::ShowInExplorer(path)) {
          ui().Message("Explorer could not be started to show\r\n" + path, MB_OK | MB_ICONEXCLAMATION, title);
        }
      });
}

void ShowWallpaperInFolder() { ShowPictureInFolder(ShownPicture(), "Show Picture in Folder"); }

void RemoveShownPicture() {
  app().commands.Submit({"Remove This Picture", CommandCore::Kind::Other, [] {
                           const std::string path = ShownPicture();
                           if (path.empty()) {
                             ui().Message(kNothingShown, MB_OK | MB_ICONINFORMATION, "Remove This Picture");
                             return;
                           }
                           // An entry taken out already (by the image menu, say) leaves
                           // only the change to do.
                           if (const int i = EntryOf(path); i >= 0) {
                             RemoveEntry(i, path);
                             // The change goes on from where the removed entry was.
                             app().list.Select(i - 1);
                           }
                           RequestChange();
                         }});
}

void AddDropped(std::vector<std::string> paths) {
  if (paths.empty()) return;
  app().commands.Submit({"Drop", CommandCore::Kind::Other, [paths = std::move(paths)] {
                           auto hold = std::make_shared<CommandCore::Hold>(app().commands.HoldUntilFinished());
                           hold->Awaiting();
                           RunOff<vd::DroppedItems>(
                               diskLane(),
                               [paths] {
                                 platform::FileSystem fs;  // the lane's own
                                 return vd::SortDroppedFiles(fs, paths);
                               },
                               [hold](vd::DroppedItems& items) {
                                 hold->Arrived();
                                 TakeDropped(items);
                                 hold->Finish();
                               });
                         }});
}

}  // namespace vdapp
