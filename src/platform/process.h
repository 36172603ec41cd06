// Starting other programs.
#pragma once

#include <string>

namespace platform {

// Starts a program with a command line and a window show state (SW_...), and
// lets it run on its own. An empty application takes the program from the
// command line's first word. False when it could not be started.
bool StartProgram(const std::string& application, std::string commandLine, int show);

}  // namespace platform
