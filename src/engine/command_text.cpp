#include "engine/command_text.h"

namespace vd {

CommandText SplitCommandText(std::string_view text) {
  CommandText c;
  c.option = std::string(text.substr(0, 2));
  if (text.size() > 3) c.argument = std::string(text.substr(3));
  // A path in quotes, as Explorer's commands pass it: no Windows path can
  // hold a quote, so the pair around the whole argument is only packaging.
  if (c.argument.size() >= 2 && c.argument.front() == '"' && c.argument.back() == '"')
    c.argument = c.argument.substr(1, c.argument.size() - 2);
  return c;
}

std::string ArgumentsOfCommandLine(std::string_view line) {
  std::size_t i = 0;
  if (i < line.size() && line[i] == '"') {
    ++i;
    while (i < line.size() && line[i] != '"') ++i;
    if (i < line.size()) ++i;  // closing quote
  }
  while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return std::string(line.substr(i));
}

}  // namespace vd
