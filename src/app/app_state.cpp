#include "app/app_state.h"

#include <windows.h>

void AppState::WriteProgramValue(const std::string& name, const std::string& value) {
  if (registry) registry->WriteValue(vd::Hive::CurrentUser, vd::kProgramKey, name, value);
}

void EndProgram() { ::ExitProcess(0); }
