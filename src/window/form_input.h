// What a backend reports of the user's actions on the window.
#pragma once

#include "window/form_state.h"

namespace tavrel::window {

enum class KeyCode { Tab, BackTab, Return, Space, Escape, AltLetter };

struct Key {
  KeyCode code = KeyCode::Return;
  char letter = 0;  // with AltLetter: the letter, either case
};

class FormInput {
 public:
  virtual ~FormInput() = default;
  // A mouse click on a button.
  virtual void Press(ControlId id) = 0;
  // A key went down on the window (`repeat`: the keyboard's auto-repeat while it is
  // held); false when the window has no use for it.
  virtual bool KeyDown(Key key, bool repeat) = 0;
  // A key was let go. Only Space acts here, as a push button does.
  virtual bool KeyUp(Key key) = 0;
  // The toolkit moved the focus itself (a mouse press on a button).
  virtual void FocusMoved(ControlId id) = 0;
};

}  // namespace tavrel::window
