// The window services the program's logic needs: a toolkit's, drawn the same way on every
// platform by NativeWindow; a fake's in tests.
#pragma once

#include <string>

#include "window/form_input.h"
#include "window/form_state.h"
#include "window/toolkit.h"

namespace tavrel::window {

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  // Draws the window as it now is; called only once the window has been shown.
  virtual void Render(const FormState& state) = 0;
  // The system's default sound; returns at once.
  virtual void Beep() = 0;
  // A modal box with the information icon and one OK button.
  virtual void ShowMessageBox(const std::string& text, const std::string& title) = 0;
  // Delivers the window's events until the user closes it with its close box.
  virtual void Run(FormInput& input) = 0;
};

class NativeWindow final : public WindowHost {
 public:
  explicit NativeWindow(const TavrelToolkit& toolkit);
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  void Render(const FormState& state) override;
  void Beep() override { toolkit_.beep(toolkit_.self); }
  void ShowMessageBox(const std::string& text, const std::string& title) override {
    toolkit_.message_box(toolkit_.self, text.c_str(), title.c_str());
  }
  void Run(FormInput& input) override;

 private:
  TavrelToolkit toolkit_;
  TavrelInput events_{};
  FormInput* input_ = nullptr;  // from Run on
  bool created_ = false;
  // While drawing: the focus moves the toolkit makes then are the model's, not the user's.
  bool rendering_ = false;
};

}  // namespace tavrel::window
