// Loading and saving the wallpaper list, and previewing its selected entry.
#pragma once

#include <string>

// Empty path means the default list file; the path used is written back.
// SaveList is false when the file could not be written (the old one stays whole).
void LoadList(std::string& path, bool clearFirst);
bool SaveList(std::string& path);
void LoadList(const std::string& path, bool clearFirst);
bool SaveList(const std::string& path);
// picked: the user chose the entry (a click); one that cannot be shown is
// then not passed over, and a message box says why.
void PreviewSelectedEntry(bool picked = false);
