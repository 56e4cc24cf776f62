// The window frmMain: its controls, its five views, focus and keys. It holds
// no logic of its own beyond the view changes; a press of a button raises Click.
#pragma once

#include <functional>
#include <optional>

#include "window/form_input.h"
#include "window/form_state.h"

namespace tavrel::window {

class Form : public FormInput {
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

  void Press(ControlId id) override;
  bool KeyDown(Key key, bool repeat) override;
  bool KeyUp(Key key) override;
  void FocusMoved(ControlId id) override;

 protected:
  ~Form() override = default;
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
