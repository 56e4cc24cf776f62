// The window frmMain: its controls, its five views, focus and keys. It holds
// no logic of its own beyond the view changes; a press of a button raises Click.
#pragma once

#include <functional>
#include <optional>

#include "window/form_input.h"
#include "window/form_state.h"

namespace tavrel::window {

class Form {
 public:
  Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormState& State() const { return state_; }

  // Called after every change, so a backend can draw the window anew.
  void OnChange(std::function<void(const FormState&)> listener);

  // Carries out the fixed control changes of a view; Initial is never set.
  void SetView(View view);
  void Show();
  void Hide();

  // A mouse click on a button.
  void Press(ControlId id);
  // A key went down on the window (`repeat`: the keyboard's auto-repeat while it is
  // held); false when the window has no use for it now.
  bool KeyDown(Key key, bool repeat);
  // A key was let go. Only Space acts here, as a push button does.
  bool KeyUp(Key key);
  // The toolkit moved the focus itself (a mouse press on a button).
  void FocusMoved(ControlId id);

 protected:
  virtual ~Form() = default;
  // The press of a visible, enabled button.
  virtual void Click(ControlId id) = 0;

 private:
  bool CanPress(ControlId id) const;
  bool PressAccessKey(char letter, bool repeat);
  void MoveFocus(int step);
  void Changed();

  FormState state_;
  // The button Space went down on; it is pressed when Space is let go on it.
  std::optional<ControlId> spaceDown_;
  std::function<void(const FormState&)> listener_;
};

}  // namespace tavrel::window
