#include "main/startup.h"

#include <windows.h>

#include "app/app_parts.h"
#include "desktop/hot_key.h"
#include "dialogs/dialogs.h"
#include "dialogs/frm_settings.h"
#include "engine/style_rule.h"
#include "main/frm_main.h"
#include "main/frm_menus.h"
#include "main/frm_wait.h"

namespace {

// The lower layers reach the windows above them only through these.
void ConnectHooks(const StartupParts& p) {
  HotKeyHooks keys;
  keys.window = p.main.Handle();
  FrmMenus& menus = p.menus;
  FrmSettings& settingsDialog = p.settingsDialog;
  keys.setChangeCaption = [&menus](const std::string& caption) { menus.SetChangeCaption(caption); };
  keys.questionOwner = [&settingsDialog]() -> HWND {
    return settingsDialog.Loaded() ? settingsDialog.Handle() : nullptr;
  };
  keys.showSettings = [&settingsDialog] { ShowSettingsDialog(settingsDialog); };
  vdapp::WallpaperChange& change = p.parts.change;
  keys.pressed = [&change] { change.RequestChange(); };
  keys.setPreviousCaption = [&menus](const std::string& caption) { menus.SetPreviousCaption(caption); };
  keys.previousPressed = [&change] { change.RequestPrevious(); };
  p.hotKey.Bind(std::move(keys));
  DialogHooks dialogs;
  dialogs.reopenMainWindow = [&menus] { menus.mnuOpen_Click(); };
  dialogs.checkSortMenus = [&menus] { menus.CheckSortMenus(); };
  settingsDialog.Bind(std::move(dialogs));
}

}  // namespace

void ReadSettings(const StartupParts& p) {
  AppState& a = p.parts.state;
  p.wait.SetStatus("Reading application settings...");
  forms::DoEvents();
  ::Sleep(500);
  if (!a.registry) a.registry = std::make_unique<platform::RegistryStore>();
  FrmMain& m = p.main;
  vd::ListIndexSink lists;
  lists.setStyleIndex = [&a](std::int16_t i) { a.list.SetStyle(vd::StyleOfDesktopValue(i)); };
  lists.setCycleTimeIndex = [&m](std::int16_t i) { m.SetCycleTimeIndex(i); };
  vd::ReadSettingsFrom(*a.registry, a.settings, lists);
  ConnectHooks(p);
  p.hotKey.Setup(false);
}

std::string MakeTempFolder() {
  std::string t = vd::StripTrailingBackslashes(platform::EnvironmentVariable("temp"));
  if (t.empty()) return t;
  ::CreateDirectoryA(t.c_str(), nullptr);  // usually exists already
  return t;
}

void InitSettings(const StartupParts& p) {
  AppState& a = p.parts.state;
  ReadSettings(p);
  a.paths = vd::MakeStartupPaths(MakeTempFolder(), platform::ProgramFolder(),
                                 platform::EnvironmentVariable("LOCALAPPDATA"));
  p.parts.change.StartHistory();
  a.cycleSeconds = 0;
  const bool enabled = a.settings.cyclingEnabled != 0;
  p.main.ShowCycleState(enabled);
  if (enabled) a.WriteProgramValue("Enabled VD", "1");
  p.menus.ShowEnabled(enabled);
  a.WriteProgramValue("InstalledDir", a.paths.appFolder);
}
