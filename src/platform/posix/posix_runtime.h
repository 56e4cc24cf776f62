// The runtime on Linux: the command line from the arguments, the options' answers on
// standard output, the end by exit, and the window backend loaded from its own shared
// module on first need.
#pragma once

#include <optional>
#include <string>

#include "control/runtime.h"

namespace tavrel::platform {

// The arguments joined by single spaces, so that `tavrel "   "` is a command line of blanks.
std::string JoinArguments(int argc, const char* const* argv);

class PosixRuntime final : public control::Runtime {
 public:
  PosixRuntime(int argc, const char* const* argv) : commandLine_(JoinArguments(argc, argv)) {}

  std::string CommandLine() override { return commandLine_; }
  bool TakesGnuOptions() const override { return true; }
  bool Print(const std::string& text) override;
  bool PrintsToTerminal() const override;
  void Complain(const std::string& text) override;
  [[noreturn]] void End(int status) override;
  window::NativeWindow& Window() override;
  void ShowMessageBox(const std::string& text, const std::string& title) override;

 private:
  // The window backend, or the end with a line that says what could not be done and why.
  window::NativeWindow& Open(const char* what, const char* instead);

  std::string commandLine_;
  std::optional<window::NativeWindow> window_;
};

}  // namespace tavrel::platform
