#include "main/app.h"

#include <windows.h>

#include "main/frm_main.h"
#include "main/frm_wait.h"

AppState& app() {
  static AppState state;
  return state;
}

FrmWait& frmWait() {
  static FrmWait form;
  return form;
}

FrmMain& frmMain() {
  static FrmMain form;
  return form;
}

void WriteProgramValue(const std::string& name, const std::string& value) {
  AppState& a = app();
  if (a.registry) a.registry->WriteValue(vd::Hive::CurrentUser, vd::kProgramKey, name, value);
}

void EndProgram() { ::ExitProcess(0); }
