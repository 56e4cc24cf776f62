// The command-line text as the program sees it on Windows.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "setting/spaces.h"

namespace tavrel::platform {

// What follows the program's name (quoted or not, ending at a blank) in a full command
// line, trimmed of spaces as every command line is; the rest is kept as it is.
inline std::string ArgumentsOf(std::string_view commandLine) {
  std::size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    at = commandLine.find('"', 1);
    at = at == std::string_view::npos ? commandLine.size() : at + 1;
  } else {
    at = std::min(commandLine.find_first_of(" \t"), commandLine.size());
  }
  return std::string(setting::TrimSpaces(commandLine.substr(at)));
}

}  // namespace tavrel::platform
