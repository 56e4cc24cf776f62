// A modal message box with the information icon and one OK button, drawing the
// text's TABs at tab stops as the platform's own message box does.
#pragma once

#include <string>

namespace tavrel::platform {

// Drawn at `dpi`, as the window is.
void ShowFltkMessageBox(const std::string& text, const std::string& title, int dpi);

}  // namespace tavrel::platform
