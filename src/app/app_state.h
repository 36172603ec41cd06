// State that lives for the whole run of VD: the settings, the paths, the
// wallpaper list and the command core. Owned by the UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/command_core.h"
#include "app/folder_watch.h"
#include "app/wallpaper_model.h"
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
  vd::WatchList watched;                     // the list's watched folders, saved with it
  std::unique_ptr<vdapp::FolderWatcher> watcher;  // made once a folder is watched
};

AppState& app();

// Registry writes under the program key; failures are not reported.
void WriteProgramValue(const std::string& name, const std::string& value);

// Ends the process at once, as the program's End statement.
[[noreturn]] void EndProgram();
