// The services that the program's logic needs of the runtime that hosts it.
// One implementation per platform; tests use a fake that records what happens.
#pragma once

#include <string>

#include "window/form_input.h"
#include "window/form_state.h"

namespace tavrel::control {

class Runtime {
 public:
  virtual ~Runtime() = default;

  // Whatever followed the program's name, fetched anew on each call.
  virtual std::string CommandLine() = 0;
  // A modal box with the information icon and one OK button.
  virtual void ShowMessageBox(const std::string& text, const std::string& title) = 0;
  // The system's default sound; returns at once.
  virtual void Beep() = 0;
  // Tells a failure of a silent run that the exit status alone would not explain: one
  // line on standard error on Linux; nothing on Windows, whose program stays silent.
  virtual void Complain(const std::string& text) = 0;
  // Ends the program with the given exit status, at once on every platform; a procedure
  // returns straight after it all the same, so that a test's runtime can go on.
  virtual void End(int status) = 0;

  // Draws the window as it now is; called only once the window has been shown.
  virtual void RenderWindow(const window::FormState& state) = 0;
  // Delivers the window's events until the user closes it.
  virtual void RunWindow(window::FormInput& input) = 0;
};

}  // namespace tavrel::control
