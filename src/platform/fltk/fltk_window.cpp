#include "platform/fltk/fltk_window.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <utility>

#include "window/form_input.h"

namespace tavrel::platform {

namespace {

using window::KeyCode;

// The key as the model names it, from the toolkit's key and modifier state.
TavrelKey KeyOf(int key, int state) {
  const std::pair<int, KeyCode> codes[] = {
      {FL_Tab, KeyCode::Tab},     {FL_Enter, KeyCode::Return},  {FL_KP_Enter, KeyCode::Return},
      {' ', KeyCode::Space},      {FL_Escape, KeyCode::Escape}, {FL_Left, KeyCode::Left},
      {FL_Right, KeyCode::Right}, {FL_Up, KeyCode::Up},         {FL_Down, KeyCode::Down}};
  const bool letter = key >= 'a' && key <= 'z';
  KeyCode code = letter ? KeyCode::Letter : KeyCode::Other;
  for (const auto& [native, ours] : codes) code = native == key ? ours : code;
  return {static_cast<int>(code), letter ? static_cast<char>(key) : '\0', (state & FL_SHIFT) != 0,
          (state & FL_ALT) != 0, (state & (FL_CTRL | FL_META)) != 0};
}

}  // namespace

void ShowFixed(Fl_Window& w) {
  w.size_range(w.w(), w.h(), w.w(), w.h());
  const long hints[5] = {1 | 2, 4 | 32, 2 | 8 | 16, 0, 0};  // functions: move, close
  const Atom atom = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
  // show() maps the window at once and sets the toolkit's own Motif hints (which
  // allow minimize); the grab keeps the window manager from reading them before ours.
  XGrabServer(fl_display);
  w.show();
  XChangeProperty(fl_display, fl_xid(&w), atom, atom, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints), 5);
  XUngrabServer(fl_display);
  XFlush(fl_display);
}

FormButton::FormButton(int id, const TavrelInput& input, int x, int y, int w, int h)
    : Fl_Button(x, y, w, h), id_(id), input_(input) {
  callback(
      [](Fl_Widget*, void* self) {
        auto* button = static_cast<FormButton*>(self);
        button->input_.press(button->input_.model, button->id_);
      },
      this);
}

int FormButton::handle(int event) {
  // Keys belong to the window, so that the model alone decides what they press.
  if (event == FL_KEYBOARD || event == FL_SHORTCUT || event == FL_KEYUP) return 0;
  const int used = Fl_Button::handle(event);
  if (event == FL_FOCUS && used) input_.focus_moved(input_.model, id_);
  return used;
}

FormWindow::FormWindow(const TavrelInput& input, int w, int h)
    : Fl_Double_Window(w, h), input_(input) {
  callback([](Fl_Widget* widget, void*) {
    // Only the close box closes the window; Esc is the model's to decide.
    if (Fl::event() == FL_SHORTCUT) return;
    auto* self = static_cast<FormWindow*>(widget);
    self->closed = true;
    self->hide();
  });
}

int FormWindow::handle(int event) {
  const int code = Fl::event_key();
  if (event == FL_KEYUP) {
    held_.erase(code);
    input_.key(input_.model, KeyOf(code, 0), 0, 0);  // whatever modifiers are down by then
    return 1;
  }
  if ((event == FL_KEYBOARD || event == FL_SHORTCUT) &&
      input_.key(input_.model, KeyOf(code, Fl::event_state()), 1, held_.count(code) != 0)) {
    held_.insert(code);
    return 1;
  }
  return Fl_Double_Window::handle(event);
}

}  // namespace tavrel::platform
