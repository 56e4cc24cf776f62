// A message box's text as a toolkit draws it: lines at CR LF (or a lone CR or LF),
// each line cut at its TABs into pieces that start at tab stops.
#pragma once

#include <string>
#include <vector>

namespace tavrel::window {

inline std::vector<std::vector<std::string>> MessageLines(const std::string& text) {
  std::vector<std::vector<std::string>> lines(1, std::vector<std::string>(1));
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back(1);
    } else if (c == '\t') {
      lines.back().emplace_back();
    } else {
      lines.back().back() += c;
    }
  }
  return lines;
}

// Where a piece that follows a TAB starts: the first tab stop after `end`.
inline int NextTabStop(int end, int tabWidth) { return (end / tabWidth + 1) * tabWidth; }

}  // namespace tavrel::window
