// The system's open, save and folder dialogs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vd {
class RegistryPort;
}

// The kinds of files the dialogs are opened for. Each kind starts where the
// user last was with it (remembered under the program key), the first time
// in the user's own folder for it. registry: where the folders are
// remembered; none remembers nothing.
enum class DialogPlace {
  Pictures,  // Add File and Add Folder; first the Pictures folder
  Lists,     // Load List and Save List; first the Documents folder
};

// The registry value under the program key that remembers a kind's folder.
const char* DialogPlaceValueName(DialogPlace place);
// The folder a dialog of that kind opens in; "" when none is known.
std::string DialogStartFolder(vd::RegistryPort* registry, DialogPlace place);

// Shows the open dialog when mode is "open" in any case (several files may
// be picked), else the save dialog, in place's folder. filter holds
// description and pattern pairs, each ended by a NUL. Returns the picked full
// paths in the order given, and remembers their folder; none when the user
// cancels. The program's current folder does not change.
std::vector<std::string> ShowFileDialogFiles(vd::RegistryPort* registry, HWND owner, const std::string& filter,
                                             const std::string& title, const std::string& mode, DialogPlace place);

// As above, for callers that take one file: the first path picked, or "".
std::string ShowFileDialog(vd::RegistryPort* registry, HWND owner, const std::string& filter, const std::string& title,
                           const std::string& mode, DialogPlace place);

// Asks for a folder with the system's folder picker (the one with a path box;
// the older tree where that is missing), starting in the pictures' folder.
// The chosen folder, remembered for next time; "" when cancelled.
std::string ShowFolderDialog(vd::RegistryPort* registry, HWND owner, const std::string& title);
