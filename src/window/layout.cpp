#include "window/layout.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

namespace tavrel::window {

FormState InitialFormState() {
  FormState s;
  s.title = "Tavrel 2.0";
  s.clientWidth = 4695;
  s.clientHeight = 615;
  s.controls = {{
      {ControlId::cmdDisable, true, "&Disable", {2520, 120, 975, 375}, false, true},
      {ControlId::cmdEnable, true, "&Enable", {2520, 120, 975, 375}, false, true},
      {ControlId::cmdCancel, true, "&Cancel", {3600, 120, 975, 375}, true, true},
      {ControlId::lblInfo, false, "", {120, 240, 2415, 255}, true, true},
      {ControlId::cmdClose, true, "&Close", {2520, 120, 975, 375}, false, true},
  }};
  return s;
}

char AccessKey(const std::string& caption) {
  const std::size_t amp = caption.find('&');
  if (amp == std::string::npos || amp + 1 >= caption.size()) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[amp + 1])));
}

namespace {

constexpr int kMinDpi = 48;
constexpr int kMaxDpi = 480;

// A resolution from text, rounded to a whole number; 0 unless it is all a number in range.
int ParseDpi(const std::string& text) {
  char* end = nullptr;
  const double dpi = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !(dpi >= kMinDpi && dpi <= kMaxDpi)) return 0;
  return static_cast<int>(dpi + 0.5);  // positive: rounds half up
}

}  // namespace

// Without streams: this is linked into the silent program too, which must stay small.
int ChooseDpi(const char* chosen, const char* resources) {
  if (chosen != nullptr && ParseDpi(chosen) != 0) return ParseDpi(chosen);
  constexpr std::string_view kName = "Xft.dpi:";
  std::string_view rest = resources != nullptr ? resources : "";
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.substr(0, kName.size()) != kName) continue;
    line.remove_prefix(kName.size());
    const std::size_t at = line.find_first_not_of(" \t");
    const int dpi = at == std::string_view::npos ? 0 : ParseDpi(std::string(line.substr(at)));
    if (dpi != 0) return dpi;
  }
  return 96;
}

}  // namespace tavrel::window
