// The system's open and save dialogs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Shows the open dialog when mode is "open" in any case (several files may
// be picked), else the save dialog. filter holds description and pattern
// pairs, each ended by a NUL. Returns the picked full paths in the order
// given; none when the user cancels.
std::vector<std::string> ShowFileDialogFiles(HWND owner, const std::string& filter, const std::string& title,
                                             const std::string& mode);

// As above, for callers that take one file: the first path picked, or "".
std::string ShowFileDialog(HWND owner, const std::string& filter, const std::string& title, const std::string& mode);
