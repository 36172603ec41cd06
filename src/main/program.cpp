#include "main/program.h"

#include <utility>

Program::Program()
    : hotKey_(parts_.state.settings),
      wait_(parts_.state),
      settings_(parts_, hotKey_, transIconEx_),
      about_(parts_.state),
      menus_(parts_, tray_, hotKey_, settings_),
      main_(parts_, wait_, menus_, tray_, hotKey_, settings_, about_),
      ui_(parts_.state, parts_.background, wait_, main_, settings_) {
  // The splash and the menus reach the main window, made after them.
  wait_.Bind(main_);
  menus_.Bind(main_);
  parts_.ui.Bind(ui_);
}

Program::~Program() {
  // From here on no command reaches a form: what still waits in the core
  // keeps only its end-of-program part, and the forms go before the parts.
  parts_.state.commands.Shut();
  parts_.ui.Unbind();
}

void Program::Start(std::string commandLine, bool previousInstance) {
  parts_.state.commandLine = std::move(commandLine);
  parts_.state.previousInstance = previousInstance;
  parts_.change.StartCommandWatch();
  wait_.Load();
  wait_.ShowNoActivate();
  wait_.Refresh();
}
