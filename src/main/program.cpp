#include "main/program.h"

#include <utility>

#include "app/wallpaper_change.h"

Program::Program()
    : hotKey_(parts_.state.settings),
      settings_(hotKey_, transIconEx_),
      menus_(tray_, hotKey_, settings_),
      main_(wait_, menus_, tray_, hotKey_, settings_, about_),
      ui_(wait_, main_, settings_) {
  // The splash and the menus reach the main window, made after them.
  wait_.Bind(main_);
  menus_.Bind(main_);
  parts_.BindUi(ui_);
}

Program::~Program() {
  // From here on no command reaches a form: what still waits in the core
  // keeps only its end-of-program part, and the forms go before the parts.
  parts_.state.commands.Shut();
  parts_.UnbindUi();
}

void Program::Start(std::string commandLine, bool previousInstance) {
  parts_.state.commandLine = std::move(commandLine);
  parts_.state.previousInstance = previousInstance;
  vdapp::StartCommandWatch();
  wait_.Load();
  wait_.ShowNoActivate();
  wait_.Refresh();
}
