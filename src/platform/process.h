// Starting other programs.
#pragma once

#include <string>

namespace platform {

// Starts a program with a command line and a window show state (SW_...), and
// lets it run on its own. An empty application takes the program from the
// command line's first word. False when it could not be started.
bool StartProgram(const std::string& application, std::string commandLine, int show);

// The full path of the system's image editor: the one registered under
// "App Paths\mspaint.exe" (the user's, then the machine's), else the one in
// the system folder. Never a relative name or the current folder. Empty when
// neither file exists.
std::string ImageEditorPath();

// Opens Explorer, by its full path in the Windows folder, with the file at
// path selected in its folder, and lets it run on its own. False when it
// could not be started.
bool ShowInExplorer(const std::string& path);

// Makes the program's own folder its current folder, so that nothing is
// looked up in a folder the program was merely started from.
void UseOwnFolderAsCurrent();

}  // namespace platform
