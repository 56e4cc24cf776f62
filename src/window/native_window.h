// frmMain on the screen: drawn through a toolkit's native calls the same way on every
// platform, the toolkit's events handed to the model.
#pragma once

#include <string>

#include "window/form.h"
#include "window/toolkit.h"

namespace tavrel::window {

class NativeWindow {
 public:
  explicit NativeWindow(const TavrelToolkit& toolkit);
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  // Draws `form` as it now is, and from then on hands it the toolkit's events; called
  // only once the window has been shown.
  void Render(Form& form);
  // The system's default sound; returns at once.
  void Beep() { toolkit_.beep(toolkit_.self); }
  // A modal box with the information icon and one OK button.
  void ShowMessageBox(const std::string& text, const std::string& title) {
    toolkit_.message_box(toolkit_.self, text.c_str(), title.c_str());
  }
  // Delivers the window's events until the user closes it with its close box.
  void Run() { toolkit_.run(toolkit_.self); }

 private:
  TavrelToolkit toolkit_;
  TavrelInput events_{};
  Form* form_ = nullptr;  // none until the window is made
  // While drawing: the focus moves the toolkit makes then are the model's, not the user's.
  bool rendering_ = false;
};

}  // namespace tavrel::window
