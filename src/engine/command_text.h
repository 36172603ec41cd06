// The command text shared by the program's command line, the relay and the
// command channel: a two-character option, one separator character, then the
// argument to the end of the text. One pair of quotes around the whole
// argument is dropped; any other quote belongs to the argument.
#pragma once

#include <string>
#include <string_view>

namespace vd {

struct CommandText {
  std::string option;    // the first two characters (fewer when the text is shorter)
  std::string argument;  // from the fourth character on, unquoted; empty for texts of 3 characters or fewer
};

CommandText SplitCommandText(std::string_view text);

// The arguments part of a full Windows command line: the program name (quoted
// or up to the first blank) and the blanks after it are skipped.
std::string ArgumentsOfCommandLine(std::string_view commandLine);

}  // namespace vd
