#include "platform/win32/win32_runtime.h"

#include "platform/command_line.h"

namespace tavrel::platform {

std::string Win32Runtime::CommandLine() { return ArgumentsOf(GetCommandLineA()); }

void Win32Runtime::ShowMessageBox(const std::string& text, const std::string& title) {
  window_.ShowMessageBox(text, title);
}

void Win32Runtime::Beep() { window_.Beep(); }

void Win32Runtime::Complain(const std::string& /*text*/) {}

void Win32Runtime::End(int status) { ExitProcess(static_cast<UINT>(status)); }

void Win32Runtime::RenderWindow(const window::FormState& state) { window_.Render(state); }

void Win32Runtime::RunWindow(window::FormInput& input) { window_.Run(input); }

}  // namespace tavrel::platform
