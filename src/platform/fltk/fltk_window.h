// FLTK widgets for frmMain: buttons and a window that hand every key and click
// to the window's model, which decides what they do.
#pragma once

#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>

#include <set>

#include "window/toolkit.h"

namespace tavrel::platform {

// Shows a window of fixed size whose frame has a close box but no minimize or
// maximize box, the hints set before any window manager can see it mapped.
void ShowFixed(Fl_Window& w);

class FormButton final : public Fl_Button {
 public:
  FormButton(int id, const TavrelInput& input, int x, int y, int w, int h);
  int handle(int event) override;

 private:
  int id_;
  const TavrelInput& input_;
};

class FormWindow final : public Fl_Double_Window {
 public:
  FormWindow(const TavrelInput& input, int w, int h);
  int handle(int event) override;

  bool closed = false;

 private:
  const TavrelInput& input_;
  std::set<int> held_;  // keys down now: a key-down of one of them is the auto-repeat
};

}  // namespace tavrel::platform
