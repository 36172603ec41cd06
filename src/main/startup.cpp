#include "main/startup.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/wallpaper_change.h"
#include "desktop/hot_key.h"
#include "dialogs/dialogs.h"
#include "dialogs/frm_settings.h"
#include "engine/style_rule.h"
#include "main/frm_main.h"
#include "main/frm_menus.h"
#include "main/frm_wait.h"
#include "main/vd_forms.h"

namespace {

// The lower layers reach the windows above them only through these.
void ConnectHooks(HotKey& hotKey, FrmSettings& settingsDialog) {
  HotKeyHooks keys;
  keys.window = frmMain().Handle();
  keys.setChangeCaption = [](const std::string& caption) { frmMenus().SetChangeCaption(caption); };
  keys.questionOwner = [&settingsDialog]() -> HWND {
    return settingsDialog.Loaded() ? settingsDialog.Handle() : nullptr;
  };
  keys.showSettings = [&settingsDialog] { ShowSettingsDialog(settingsDialog); };
  keys.pressed = [] { vdapp::RequestChange(); };
  hotKey.Bind(std::move(keys));
  DialogHooks dialogs;
  dialogs.reopenMainWindow = [] { frmMenus().mnuOpen_Click(); };
  dialogs.checkSortMenus = [] { CheckSortMenus(); };
  BindDialogHooks(std::move(dialogs));
}

}  // namespace

void ReadSettings(HotKey& hotKey, FrmSettings& settingsDialog) {
  AppState& a = app();
  frmWait().SetStatus("Reading application settings...");
  forms::DoEvents();
  ::Sleep(500);
  if (!a.registry) a.registry = std::make_unique<platform::RegistryStore>();
  FrmMain& m = frmMain();
  vd::ListIndexSink lists;
  lists.setStyleIndex = [](std::int16_t i) { app().list.SetStyle(vd::StyleOfDesktopValue(i)); };
  lists.setCycleTimeIndex = [&m](std::int16_t i) { m.SetCycleTimeIndex(i); };
  vd::ReadSettingsFrom(*a.registry, a.settings, lists);
  ConnectHooks(hotKey, settingsDialog);
  hotKey.Setup(false);
}

std::string MakeTempFolder() {
  std::string t = vd::StripTrailingBackslashes(platform::EnvironmentVariable("temp"));
  if (t.empty()) return t;
  ::CreateDirectoryA(t.c_str(), nullptr);  // usually exists already
  return t;
}

void InitSettings(HotKey& hotKey, FrmSettings& settingsDialog) {
  AppState& a = app();
  ReadSettings(hotKey, settingsDialog);
  a.paths = vd::MakeStartupPaths(MakeTempFolder(), platform::ProgramFolder(),
                                 platform::EnvironmentVariable("LOCALAPPDATA"));
  a.cycleSeconds = 0;
  const bool enabled = a.settings.cyclingEnabled != 0;
  frmMain().ShowCycleState(enabled);
  if (enabled) WriteProgramValue("Enabled VD", "1");
  frmMenus().ShowEnabled(enabled);
  WriteProgramValue("InstalledDir", a.paths.appFolder);
}
