#include "main/program.h"

#include <utility>

#include "app/wallpaper_change.h"
#include "base/required.h"

namespace {
// The forms still reach one another by these accessors (frmMain(), ...);
// they see the one Program alive, which sets this in its constructor.
Program* live = nullptr;
}  // namespace

Program::Program()
    : hotKey_(parts_.state.settings),
      settings_(hotKey_, transIconEx_),
      menus_(tray_, hotKey_, settings_),
      main_(tray_, hotKey_, settings_, about_),
      ui_(wait_, main_) {
  if (!live) live = this;
  parts_.BindUi(ui_);
}

Program::~Program() {
  // From here on no command reaches a form: what still waits in the core
  // keeps only its end-of-program part, and the forms go before the parts.
  parts_.state.commands.Shut();
  parts_.UnbindUi();
  if (live == this) live = nullptr;
}

void Program::Start(std::string commandLine, bool previousInstance) {
  parts_.state.commandLine = std::move(commandLine);
  parts_.state.previousInstance = previousInstance;
  vdapp::StartCommandWatch();
  wait_.Load();
  wait_.ShowNoActivate();
  wait_.Refresh();
}

FrmWait& frmWait() { return base::Required(live, "the program").wait_; }
FrmMain& frmMain() { return base::Required(live, "the program").main_; }
FrmMenus& frmMenus() {
  FrmMenus& menus = base::Required(live, "the program").menus_;
  if (!menus.Loaded()) menus.Load();  // a hidden window, made when a menu is first needed
  return menus;
}
