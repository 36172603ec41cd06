// Start-up of the engine: settings, working paths and the enabled state.
#pragma once

#include <string>

void ReadSettings();
void InitSettings();
std::string MakeTempFolder();
