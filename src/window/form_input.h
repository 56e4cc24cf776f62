// What a backend reports of the user's actions on the window.
#pragma once

#include "window/form_state.h"

namespace tavrel::window {

// A key as the keyboard names it; a backend maps its own codes to these and nothing more.
enum class KeyCode { Other, Tab, Return, Space, Escape, Left, Right, Up, Down, Letter };

struct Key {
  KeyCode code = KeyCode::Other;
  char letter = 0;  // with Letter: the letter, either case
  bool shift = false;
  bool alt = false;
  bool control = false;  // Ctrl, or the Super key
};

// Whether the window decides what the key does, in any view; every other key keeps the
// system's meaning (Alt+F4, Alt+Space). Only Space acts when let go.
bool IsWindowKey(const Key& key, bool down);

class FormInput {
 public:
  virtual ~FormInput() = default;
  // A mouse click on a button.
  virtual void Press(ControlId id) = 0;
  // A key went down on the window (`repeat`: the keyboard's auto-repeat while it is
  // held); false when the window has no use for it now.
  virtual bool KeyDown(Key key, bool repeat) = 0;
  // A key was let go. Only Space acts here, as a push button does.
  virtual bool KeyUp(Key key) = 0;
  // The toolkit moved the focus itself (a mouse press on a button).
  virtual void FocusMoved(ControlId id) = 0;
};

}  // namespace tavrel::window
