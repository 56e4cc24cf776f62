// The program's one trim: of the command line and of the key's value alike.
#pragma once

#include <string_view>

namespace tavrel::setting {

// The text without its leading and trailing spaces (only spaces; other blanks stay).
inline std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace tavrel::setting
