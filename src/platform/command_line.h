// The command-line text as the program sees it on Windows.
#pragma once

#include <string>
#include <string_view>

namespace tavrel::platform {

// What follows the program's name (quoted or not) in a full command line, without the
// blanks that separate the two; the rest is kept as it is.
inline std::string ArgumentsOf(std::string_view commandLine) {
  std::size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    at = commandLine.find('"', 1);
    at = at == std::string_view::npos ? commandLine.size() : at + 1;
  } else {
    at = commandLine.find_first_of(" \t");
    if (at == std::string_view::npos) at = commandLine.size();
  }
  at = commandLine.find_first_not_of(" \t", at);
  return at == std::string_view::npos ? "" : std::string(commandLine.substr(at));
}

}  // namespace tavrel::platform
