// The parts of VD below its windows, owned in the order they are made: the
// state (settings, paths, list model, command core), the background lanes
// with their mailbox and the list writer, and the picture worker. They end
// in reverse: the worker's thread is joined first, so that nothing it holds
// (a continuation, a hold on the command core) outlives the model it
// belongs to; then the lanes stop taking answers and the list file is
// written out; the state goes last. Made and destroyed on the UI thread.
#pragma once

#include "app/app_state.h"
#include "app/background.h"
#include "app/picture_worker.h"
#include "app/ui_port.h"

namespace vdapp {

class AppParts {
 public:
  AppParts();
  AppParts(const AppParts&) = delete;
  AppParts& operator=(const AppParts&) = delete;
  ~AppParts();

  // The windows' side, given once their forms exist; required before the
  // first command that shows anything.
  void BindUi(UiPort& port) { ui_ = &port; }
  void UnbindUi() { ui_ = nullptr; }
  UiPort& Ui();

  AppState state;
  Background background;
  PictureWorker worker;

 private:
  UiPort* ui_ = nullptr;
};

// The live parts' worker, for the change's commands.
PictureWorker& pictureWorker();

}  // namespace vdapp
