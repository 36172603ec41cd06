// The parts of VD below its windows, owned in the order they are made: the
// state (settings, paths, list model, command core), the link to the
// windows, the commands' objects (the list, its watched folders, the
// wallpaper change, curating), the background lanes with their mailbox and
// the list writer, and the picture worker. The commands' objects only keep
// references to the parts they use; they are made before the lanes and the
// worker, so that they outlive both. The parts end in reverse: the worker's
// thread is joined first, so that nothing it holds (a continuation, a hold
// on the command core) outlives the model it belongs to; then the lanes stop
// taking answers and the list file is written out; the commands' objects
// and the state go last. Made and destroyed on the UI thread.
#pragma once

#include "app/app_state.h"
#include "app/background.h"
#include "app/curate.h"
#include "app/list_store.h"
#include "app/picture_worker.h"
#include "app/ui_port.h"
#include "app/wallpaper_change.h"
#include "app/watched_lists.h"

namespace vdapp {

class AppParts {
 public:
  AppParts();
  AppParts(const AppParts&) = delete;
  AppParts& operator=(const AppParts&) = delete;
  ~AppParts();

  AppState state;
  // The windows' side, bound once their forms exist; required before the
  // first command that shows anything.
  UiLink ui;
  ListStore lists{state, background, ui, watched};
  WatchedLists watched{state, background, ui, lists};
  WallpaperChange change{state, background, worker, ui, lists};
  Curate curate{state, background, ui, lists, change};
  Background background;
  PictureWorker worker;
};

}  // namespace vdapp
