// Start-up of the engine: settings, working paths and the enabled state.
#pragma once

#include <string>

class HotKey;

// Reads the settings and registers the stored key.
void ReadSettings(HotKey& hotKey);
void InitSettings(HotKey& hotKey);
std::string MakeTempFolder();
