// The runtime on Linux: the command line from the arguments, the end by exit, and
// the window backend loaded from its own shared module on first need.
#pragma once

#include <memory>
#include <string>

#include "control/runtime.h"
#include "platform/window_host.h"

namespace tavrel::platform {

// The arguments joined by single spaces, so that `tavrel "   "` is a command line of blanks.
std::string JoinArguments(int argc, const char* const* argv);

class PosixRuntime final : public control::Runtime {
 public:
  PosixRuntime(int argc, const char* const* argv) : commandLine_(JoinArguments(argc, argv)) {}

  std::string CommandLine() override { return commandLine_; }
  void ShowMessageBox(const std::string& text, const std::string& title) override;
  void Beep() override;
  void Complain(const std::string& text) override;
  [[noreturn]] void End(int status) override;
  void RenderWindow(const window::FormState& state) override;
  void RunWindow(window::FormInput& input) override;

 private:
  WindowHost& Host();

  std::string commandLine_;
  std::unique_ptr<WindowHost> host_;
};

}  // namespace tavrel::platform
