// The runtime on Windows: the command line of the process, the end by ExitProcess,
// and the window as plain Win32.
#pragma once

#include <windows.h>

#include "control/runtime.h"
#include "platform/command_line.h"
#include "platform/win32/win32_window.h"

namespace tavrel::platform {

class Win32Runtime final : public control::Runtime {
 public:
  explicit Win32Runtime(HINSTANCE instance)
      : native_(instance), window_(window::ToolkitOf(native_)) {}

  std::string CommandLine() override { return ArgumentsOf(GetCommandLineA()); }
  bool TakesGnuOptions() const override { return false; }
  bool Print(const std::string& /*text*/) override { return false; }
  bool PrintsToTerminal() const override { return false; }
  void Complain(const std::string& /*text*/) override {}
  [[noreturn]] void End(int status) override { ExitProcess(static_cast<UINT>(status)); }
  window::NativeWindow& Window() override { return window_; }

 private:
  Win32Window native_;
  window::NativeWindow window_;
};

}  // namespace tavrel::platform
