// FLTK widgets for frmMain: buttons and a window that hand every key and click
// to the window's model, which decides what they do.
#pragma once

#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>

#include <optional>
#include <set>

#include "window/form_input.h"

namespace tavrel::platform {

// The key as the model knows it, if the model has a use for such a key.
std::optional<window::Key> TranslateKey(int key, int state);

// Shows a window of fixed size whose frame has a close box but no minimize or
// maximize box, the hints set before any window manager can see it mapped.
void ShowFixed(Fl_Window& w);

class FormButton final : public Fl_Button {
 public:
  FormButton(window::ControlId id, int x, int y, int w, int h);
  int handle(int event) override;

  window::FormInput* input = nullptr;
  bool reportFocus = true;

 private:
  window::ControlId id_;
};

class FormWindow final : public Fl_Double_Window {
 public:
  FormWindow(int w, int h);
  int handle(int event) override;

  window::FormInput* input = nullptr;
  bool closed = false;

 private:
  std::set<int> held_;  // keys down now: a key-down of one of them is the auto-repeat
};

}  // namespace tavrel::platform
