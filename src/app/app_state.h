// State that lives for the whole run of VD: the settings, the paths, the
// wallpaper list and the command core. Owned by the UI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/command_core.h"
#include "app/history_store.h"
#include "app/folder_watch.h"
#include "app/wallpaper_model.h"
#include "engine/history.h"
#include "engine/monitor_layout.h"
#include "engine/settings.h"
#include "engine/watched_folders.h"
#include "platform/file_system.h"
#include "platform/registry_store.h"

struct AppState {
  vd::Settings settings;
  vd::StartupPaths paths;
  std::unique_ptr<vd::RegistryPort> registry;  // created by ReadSettings
  platform::FileSystem fs;
  vdapp::WallpaperModel list;
  vd::WallpaperHistory history;  // what was on the desktop; kept in paths.historyPath
  std::unique_ptr<vdapp::HistoryStore> historyStore;  // made once the paths are known
  vdapp::CommandCore commands;
  std::string commandLine;           // the arguments as the system passed them
  bool previousInstance = false;     // another VD was running when this one started
  bool waitShownBefore = false;      // the progress form has been loaded once in this run
  std::int16_t cycleSeconds = 0;     // seconds since the last automatic change
  bool mainWindowOpen = false;       // the user opened the main window
  // The list on screen stands for the default list file: it was read, or had
  // nothing to lose, or the list was replaced by another list file.
  bool defaultListKnown = false;
  bool defaultListUnreadable = false;  // the last attempt to read it failed
  bool listNotSavedTold = false;       // the user was told that changes are kept unsaved
  // Set when the default list's copy was wanted, to bring back a missing
  // default list, and could not be read: it may hold the only record of the
  // list, so it is not written over in this run. Read on the list writer's thread.
  std::atomic<bool> listCopyHeldBack = false;

  // What the wallpaper change remembers between its commands.
  struct ChangeMemory {
    // The pictures on the monitors since the last change, left to right then
    // top to bottom: what a new layout of the monitors shows again.
    std::vector<std::string> shownPaths;
    // The monitors the wallpaper on the desktop was last composed for.
    std::vector<vd::Monitor> composedFor;
    // The picture the preview shows, for Properties.
    std::string previewPath;
    int previewWidth = 0, previewHeight = 0;
    // The entries applied by hand so far, and the last one's path: a click's
    // preview that fails says nothing when the double-click it was part of
    // applies the picture and says why itself.
    unsigned appliesByHand = 0;
    std::string lastAppliedByHand;
    // The picture whose problem a message box tells right now.
    std::string beingReported;
  } change;
  vd::WatchList watched;                     // the list's watched folders, saved with it
  std::unique_ptr<vdapp::FolderWatcher> watcher;  // made once a folder is watched

  // Registry writes under the program key; failures are not reported.
  void WriteProgramValue(const std::string& name, const std::string& value);
};

// Ends the process at once, as the program's End statement.
[[noreturn]] void EndProgram();
