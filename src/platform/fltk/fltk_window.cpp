#include "platform/fltk/fltk_window.h"

#include <FL/Fl.H>

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
  if (event == FL_KEYBOARD || event == FL_SHORTCUT) return 0;
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
  if (event == FL_KEYBOARD || event == FL_SHORTCUT) {
    const auto key = TranslateKey(Fl::event_key(), Fl::event_state());
    if (key) {
      if (input != nullptr) input->HandleKey(*key);
      return 1;
    }
  }
  return Fl_Double_Window::handle(event);
}

}  // namespace tavrel::platform
