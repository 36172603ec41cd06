// Start-up of the engine: settings, working paths and the enabled state.
#pragma once

#include <string>

class FrmMain;
class FrmMenus;
class FrmSettings;
class FrmWait;
class HotKey;
namespace vdapp {
class AppParts;
}

// What start-up shows its steps on and wires together.
struct StartupParts {
  vdapp::AppParts& parts;
  FrmWait& wait;
  FrmMain& main;
  FrmMenus& menus;
  FrmSettings& settingsDialog;  // owns questions about the key while it is open
  HotKey& hotKey;
};

// Reads the settings and registers the stored key.
void ReadSettings(const StartupParts& parts);
void InitSettings(const StartupParts& parts);
std::string MakeTempFolder();
