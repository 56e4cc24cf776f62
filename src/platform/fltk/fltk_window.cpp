#include "platform/fltk/fltk_window.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>

namespace tavrel::platform {

using window::Key;
using window::KeyCode;

std::optional<Key> TranslateKey(int key, int state) {
  const bool shift = (state & FL_SHIFT) != 0;
  if ((state & FL_ALT) != 0) {
    if (key >= 'a' && key <= 'z') return Key{KeyCode::AltLetter, static_cast<char>(key)};
    return std::nullopt;
  }
  if ((state & (FL_CTRL | FL_META)) != 0) return std::nullopt;
  switch (key) {
    case FL_Tab:
      return Key{shift ? KeyCode::BackTab : KeyCode::Tab};
    case FL_Right:
    case FL_Down:
      return Key{KeyCode::Tab};
    case FL_Left:
    case FL_Up:
      return Key{KeyCode::BackTab};
    case FL_Enter:
    case FL_KP_Enter:
      return Key{KeyCode::Return};
    case ' ':
      return Key{KeyCode::Space};
    case FL_Escape:
      return Key{KeyCode::Escape};
    default:
      return std::nullopt;
  }
}

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

FormButton::FormButton(window::ControlId id, int x, int y, int w, int h)
    : Fl_Button(x, y, w, h), id_(id) {
  callback(
      [](Fl_Widget*, void* self) {
        auto* button = static_cast<FormButton*>(self);
        if (button->input != nullptr) button->input->Press(button->id_);
      },
      this);
}

int FormButton::handle(int event) {
  // Keys belong to the window, so that the model alone decides what they press.
  if (event == FL_KEYBOARD || event == FL_SHORTCUT || event == FL_KEYUP) return 0;
  const int used = Fl_Button::handle(event);
  if (event == FL_FOCUS && used && reportFocus && input != nullptr) input->FocusMoved(id_);
  return used;
}

FormWindow::FormWindow(int w, int h) : Fl_Double_Window(w, h) {
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
    const auto key = TranslateKey(code, 0);  // whatever modifiers are down by then
    if (key && input != nullptr) input->KeyUp(*key);
    return 1;
  }
  const auto key = TranslateKey(code, Fl::event_state());
  if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && key) {
    const bool repeat = !held_.insert(code).second;
    if (input != nullptr) input->KeyDown(*key, repeat);
    return 1;
  }
  return Fl_Double_Window::handle(event);
}

}  // namespace tavrel::platform
