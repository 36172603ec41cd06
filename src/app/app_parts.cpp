#include "app/app_parts.h"

#include "app/list_store.h"

namespace vdapp {

AppParts::AppParts()
    : background([this](const std::string& path, const std::string& text) {
        // On the list writer's thread; the paths are set before the first save.
        return WriteListFile(path, text, state.paths.defaultListPath, state.paths.listCopyPath, state.listCopyHeldBack);
      }) {}

AppParts::~AppParts() {
  // The folder watcher's thread hands its reports to the mailbox: it is
  // joined while the mailbox and these parts are all still there.
  state.watcher.reset();
}

}  // namespace vdapp
