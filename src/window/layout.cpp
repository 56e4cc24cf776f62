#include "window/layout.h"

#include <cctype>
#include <string>

namespace tavrel::window {

FormState InitialFormState() {
  FormState s;
  const std::string version = TAVREL_VERSION;  // the title shows its first two numbers
  s.title = "Tavrel " + version.substr(0, version.find('.', version.find('.') + 1));
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

}  // namespace tavrel::window
