// The window backend on Windows: frmMain as a plain Win32 window with button and
// static controls, every key handed to the window's model.
#pragma once

#include <windows.h>

#include <array>

#include "window/form_state.h"
#include "window/toolkit.h"

namespace tavrel::platform {

// The native calls of window::ToolkitOf.
class Win32Window final {
 public:
  explicit Win32Window(HINSTANCE instance) : instance_(instance) {}
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  ~Win32Window();

  void Create(const char* title, int width, int height, const TavrelInput& input);
  void Update(const TavrelControl& control);
  void Show(bool shown, int focus);
  void Beep();
  void ShowMessageBox(const char* text, const char* title);
  void Run();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout(UINT dpi);
  void Place(std::size_t control, UINT dpi);
  void FitLabel(std::size_t control);
  bool RouteKey(const MSG& msg);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  std::array<HWND, 5> controls_{};
  std::array<window::TwipsRect, 5> places_{};
  std::array<bool, 5> labels_{};
  std::array<HFONT, 5> fitted_{};  // a label's own smaller font, where the GUI font is too wide
  window::TwipsRect client_;
  HFONT font_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  const TavrelInput* input_ = nullptr;
  int focus_ = -1;  // as last given
  bool altUsed_ = false;
};

}  // namespace tavrel::platform
