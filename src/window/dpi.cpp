#include "window/dpi.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tavrel::window {

namespace {

constexpr int kMinDpi = 48;
constexpr int kMaxDpi = 480;

// A resolution from text, rounded to a whole number; 0 unless it is all a number in range.
int ParseDpi(const std::string& text) {
  char* end = nullptr;
  const double dpi = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !(dpi >= kMinDpi && dpi <= kMaxDpi)) return 0;
  return static_cast<int>(std::lround(dpi));
}

}  // namespace

// Without streams, which would bring the C++ library's locales into the window module.
int ChooseDpi(const char* chosen, const char* resources) {
  if (chosen != nullptr && ParseDpi(chosen) != 0) return ParseDpi(chosen);
  constexpr std::string_view kName = "Xft.dpi:";
  std::string_view rest = resources != nullptr ? resources : "";
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.substr(0, kName.size()) != kName) continue;
    // The blanks after the name are strtod's to skip.
    if (const int dpi = ParseDpi(std::string(line.substr(kName.size()))); dpi != 0) return dpi;
  }
  return 96;
}

}  // namespace tavrel::window
