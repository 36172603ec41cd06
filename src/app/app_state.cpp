#include "app/app_state.h"

#include <windows.h>

void WriteProgramValue(const std::string& name, const std::string& value) {
  AppState& a = app();
  if (a.registry) a.registry->WriteValue(vd::Hive::CurrentUser, vd::kProgramKey, name, value);
}

void EndProgram() { ::ExitProcess(0); }
