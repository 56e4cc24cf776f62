// The window backend on Windows: frmMain as a plain Win32 window with button and
// static controls, every key handed to the window's model.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "platform/window_host.h"

namespace tavrel::platform {

class Win32Window final : public WindowHost {
 public:
  explicit Win32Window(HINSTANCE instance) : instance_(instance) {}
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  ~Win32Window() override;

  void Render(const window::FormState& state) override;
  void Beep() override;
  void ShowMessageBox(const std::string& text, const std::string& title) override;
  void Run(window::FormInput& input) override;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Create(const window::FormState& state);
  void Layout(UINT dpi);
  bool RouteKey(const MSG& msg);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  std::array<HWND, 5> controls_{};
  HFONT font_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  window::FormInput* input_ = nullptr;
  std::optional<window::FormState> state_;  // as last drawn
  bool rendering_ = false;
  bool altUsed_ = false;
};

}  // namespace tavrel::platform
