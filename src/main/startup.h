// Start-up of the engine: settings, working paths and the enabled state.
#pragma once

#include <string>

class FrmSettings;
class HotKey;

// Reads the settings and registers the stored key, whose questions the
// settings dialog owns while it is open.
void ReadSettings(HotKey& hotKey, FrmSettings& settingsDialog);
void InitSettings(HotKey& hotKey, FrmSettings& settingsDialog);
std::string MakeTempFolder();
