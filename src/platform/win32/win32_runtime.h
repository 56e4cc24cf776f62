// The runtime on Windows: the command line of the process, the end by ExitProcess,
// and the window as plain Win32.
#pragma once

#include <windows.h>

#include <memory>

#include "control/runtime.h"
#include "platform/win32/win32_window.h"

namespace tavrel::platform {

class Win32Runtime final : public control::Runtime {
 public:
  explicit Win32Runtime(HINSTANCE instance) : window_(instance) {}

  std::string CommandLine() override;
  void ShowMessageBox(const std::string& text, const std::string& title) override;
  void Beep() override;
  void Complain(const std::string& text) override;
  [[noreturn]] void End(int status) override;
  void RenderWindow(const window::FormState& state) override;
  void RunWindow(window::FormInput& input) override;

 private:
  Win32Window window_;
};

}  // namespace tavrel::platform
