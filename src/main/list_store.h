// Loading and saving the wallpaper list, and previewing its selected entry.
#pragma once

#include <string>

// Empty path means the default list file; the path used is written back.
void LoadList(std::string& path, bool clearFirst);
void SaveList(std::string& path);
void LoadList(const std::string& path, bool clearFirst);
void SaveList(const std::string& path);
void PreviewSelectedEntry();
