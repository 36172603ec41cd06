#include "app/app_state.h"

#include <windows.h>

#include "app/ui_port.h"

AppState& app() {
  static AppState state;
  return state;
}

void WriteProgramValue(const std::string& name, const std::string& value) {
  AppState& a = app();
  if (a.registry) a.registry->WriteValue(vd::Hive::CurrentUser, vd::kProgramKey, name, value);
}

void EndProgram() { ::ExitProcess(0); }

namespace vdapp {

namespace {
UiPort* port = nullptr;
}  // namespace

UiPort& ui() { return *port; }
void SetUi(UiPort& p) { port = &p; }

}  // namespace vdapp
