// The services that the program's logic needs of the runtime that hosts it.
// One implementation per platform; tests use a fake that records what happens.
#pragma once

#include <string>

#include "window/native_window.h"

namespace tavrel::control {

class Runtime {
 public:
  virtual ~Runtime() = default;

  // Whatever followed the program's name, fetched anew on each call.
  virtual std::string CommandLine() = 0;
  // Whether a command line may be one of the options of a Linux program (gnu_options.h);
  // Tavrel.exe leaves every command line to the switches.
  virtual bool TakesGnuOptions() const = 0;
  // An option's answer on standard output, every byte of it; false when it could not be
  // written, after a line on standard error that says why.
  virtual bool Print(const std::string& text) = 0;
  // Whether standard output is a terminal, which would act on control characters.
  virtual bool PrintsToTerminal() const = 0;
  // Tells a failure that the exit status or a beep alone would not explain: one line on
  // standard error on Linux; nothing on Windows, whose program stays silent.
  virtual void Complain(const std::string& text) = 0;
  // Ends the program with the given exit status, at once on every platform; a procedure
  // returns straight after it all the same, so that a test's runtime can go on.
  virtual void End(int status) = 0;
  // The window, the message box and the beep, opened on first need.
  virtual window::NativeWindow& Window() = 0;
  // The help box: the window's message box, opened for it alone where it was not yet.
  virtual void ShowMessageBox(const std::string& text, const std::string& title) {
    Window().ShowMessageBox(text, title);
  }
};

}  // namespace tavrel::control
