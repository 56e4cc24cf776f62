// A toolkit backend: draws frmMain, plays the beep, shows the message box and
// delivers the window's events. On Linux it is loaded only when a window is needed.
#pragma once

#include <string>

#include "window/form_input.h"
#include "window/form_state.h"

namespace tavrel::platform {

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual void Render(const window::FormState& state) = 0;
  virtual void Beep() = 0;
  virtual void ShowMessageBox(const std::string& text, const std::string& title) = 0;
  // Returns when the user closed the window with its close box.
  virtual void Run(window::FormInput& input) = 0;
};

// The entry point of a loadable backend: a host, or null with `error` set when no
// window can be opened (no display, for example).
using OpenWindowHost = WindowHost* (*)(std::string* error);
constexpr const char* kOpenWindowHostSymbol = "tavrel_open_window_host";

}  // namespace tavrel::platform
