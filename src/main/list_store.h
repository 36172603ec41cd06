// Loading and saving the wallpaper list, and previewing its selected entry.
#pragma once

#include <optional>
#include <string>

#include "engine/wallpaper_list.h"

// Empty path means the default list file; the path used is written back.
// SaveList is false when the file could not be written (the old one stays whole).
void LoadList(std::string& path, bool clearFirst);
bool SaveList(std::string& path);
void LoadList(const std::string& path, bool clearFirst);
bool SaveList(const std::string& path);
// picked: the user chose the entry (a click); one that cannot be shown is
// then not passed over, and a message box says why.
void PreviewSelectedEntry(bool picked = false);

// The entry for a picture in the form the list keeps it, the form the next
// load accepts (vd::ListPathSpeller); nullopt when it names no normal file.
std::optional<vd::ListEntry> ListEntryFor(const std::string& path);

// Orders the list by the stored sort choice ("Location" or "Name"), keeps the
// same picture selected and saves the default list file. A stored choice
// that names neither leaves the list as it is.
void SortList();
