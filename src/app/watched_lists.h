// The list's side of its watched folders: what the watcher reports comes
// into the list as a command of the command core, and the commands that
// change what is watched. On the UI thread.
#pragma once

#include <string>

#include "app/folder_watch.h"
#include "engine/watched_folders.h"

namespace vdapp {

// Hands the list's watched folders to the watcher (made on first use);
// each folder not watched before is scanned whole in the background.
void FollowWatchedFolders();

// Brings a report of the watcher into the list: new pictures go where the
// chosen sort order puts them, unless the list has them or the folder
// excludes them; pictures gone leave. Saves the default list on a change.
void ApplyFolderReport(FolderReport report);

// Stops watching folder; with removePictures, its pictures leave the list too.
void StopWatching(const std::string& folder, bool removePictures);

// Removes every entry that repeats an earlier one, and saves the list.
void RemoveDuplicates();

}  // namespace vdapp
