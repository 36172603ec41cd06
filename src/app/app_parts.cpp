#include "app/app_parts.h"

#include "app/list_store.h"
#include "base/required.h"

#include <utility>

namespace vdapp {

namespace {
// The command functions of the change and the list (wallpaper_change.cpp,
// list_store.cpp) reach the parts through app(), pictureWorker() and the
// background's names; they see the one AppParts alive, which sets this.
AppParts* live = nullptr;
}  // namespace

AppParts::AppParts() : background(&WriteListFile) {
  if (!live) live = this;
}

AppParts::~AppParts() {
  // The folder watcher's thread hands its reports to the mailbox: it is
  // joined while the mailbox and these parts are all still there.
  state.watcher.reset();
  // The members end after this body: a command still reaching for the
  // parts from here on is a fault, and Required() says so.
  if (live == this) live = nullptr;
}

UiPort& AppParts::Ui() { return base::Required(ui_, "the windows' side (UiPort)"); }

UiPort& ui() { return base::Required(live, "the program's parts").Ui(); }
PictureWorker& pictureWorker() { return base::Required(live, "the program's parts").worker; }
Lane& shellLane() { return base::Required(live, "the program's parts").background.Shell(); }
Lane& diskLane() { return base::Required(live, "the program's parts").background.Disk(); }
ListWriter& listWriter() { return base::Required(live, "the program's parts").background.Writer(); }
void FlushListWrites() { listWriter().Flush(5000); }
void RunSoon(std::function<void()> what) { base::Required(live, "the program's parts").background.RunSoon(std::move(what)); }
void EverySecond(std::function<void()> tick) {
  base::Required(live, "the program's parts").background.EverySecond(std::move(tick));
}
void AfterQuietFor(int id, unsigned delayMs, std::function<void()> what) {
  base::Required(live, "the program's parts").background.AfterQuietFor(id, delayMs, std::move(what));
}

}  // namespace vdapp

AppState& app() { return base::Required(vdapp::live, "the program's parts").state; }
