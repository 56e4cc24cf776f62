#include "window/form.h"

#include <cctype>

#include "window/layout.h"

namespace tavrel::window {
namespace {

// The label of each view, in the order of View.
const char* const kStatusText[] = {"", "Proxy Client is DISABLED", "Proxy Client is ENABLED",
                                   "Proxy Client is now ENABLED", "Proxy Client is now DISABLED"};

}  // namespace

Form::Form() : state_(InitialFormState()) {}

void Form::OnChange(std::function<void(const FormState&)> listener) {
  listener_ = std::move(listener);
}

void Form::SetView(View view) {
  if (view == View::Initial) return;
  state_.view = view;
  state_.Get(ControlId::lblInfo).caption = kStatusText[static_cast<int>(view)];
  if (view == View::StatusDisabled) state_.Get(ControlId::cmdEnable).visible = true;
  if (view == View::StatusEnabled) state_.Get(ControlId::cmdDisable).visible = true;
  if (view == View::SwitchedOn || view == View::SwitchedOff) {
    state_.Get(ControlId::cmdCancel).enabled = false;
    state_.Get(view == View::SwitchedOn ? ControlId::cmdEnable : ControlId::cmdDisable).visible =
        false;
    state_.Get(ControlId::cmdClose).visible = true;
    state_.focus = ControlId::cmdClose;
  }
  Changed();
}

void Form::Show() {
  if (!state_.shown && !state_.focus) MoveFocus(+1);
  state_.shown = true;
  Changed();
}

void Form::Hide() {
  state_.shown = false;
  Changed();
}

bool Form::CanPress(ControlId id) const {
  const Control& c = state_.Get(id);
  return c.button && c.visible && c.enabled;
}

void Form::Press(ControlId id) {
  if (CanPress(id)) Click(id);
}

void Form::FocusMoved(ControlId id) {
  if (!CanPress(id) || state_.focus == id) return;
  spaceDown_.reset();
  state_.focus = id;
  Changed();
}

// Moves the focus to the next (or previous) button that can be pressed, in tab order.
void Form::MoveFocus(int step) {
  spaceDown_.reset();  // a button that loses the focus lets go of Space
  const int count = static_cast<int>(state_.controls.size());
  int at = state_.focus ? static_cast<int>(*state_.focus) : (step > 0 ? -1 : count);
  for (int i = 0; i < count; ++i) {
    at = (at + step + count) % count;
    if (CanPress(static_cast<ControlId>(at))) {
      state_.focus = static_cast<ControlId>(at);
      return;
    }
  }
}

bool IsWindowKey(const Key& key, bool down) {
  if (!down) return key.code == KeyCode::Space;
  if (key.control) return false;
  return key.alt ? key.code == KeyCode::Letter : key.code > KeyCode::Letter;
}

// Keys act once per press: Return, Esc and access keys on their first key-down,
// Space when it is let go; the auto-repeat of a held key presses nothing. The arrows
// move the focus as Tab does, Left and Up back as Shift+Tab.
bool Form::KeyDown(Key key, bool repeat) {
  if (!IsWindowKey(key, true)) return false;
  if (key.alt) {
    return PressAccessKey(static_cast<char>(std::tolower(static_cast<unsigned char>(key.letter))),
                          repeat);
  }
  if (key.code >= KeyCode::Tab) {
    const bool back = key.code == KeyCode::Left || key.code == KeyCode::Up ||
                      (key.code == KeyCode::Tab && key.shift);
    MoveFocus(back ? -1 : +1);
    Changed();
    return true;
  }
  switch (key.code) {
    case KeyCode::Return:
    case KeyCode::Space:
      if (!state_.focus || !CanPress(*state_.focus)) return false;
      if (repeat) return true;
      if (key.code == KeyCode::Space) {
        spaceDown_ = state_.focus;
      } else {
        Press(*state_.focus);
      }
      return true;
    case KeyCode::Escape:
      if (!CanPress(ControlId::cmdCancel)) return false;
      if (!repeat) Press(ControlId::cmdCancel);
      return true;
    default:
      break;
  }
  return false;
}

bool Form::KeyUp(Key key) {
  if (key.code != KeyCode::Space || !spaceDown_) return false;
  const ControlId down = *spaceDown_;
  spaceDown_.reset();
  if (state_.focus == down) Press(down);
  return true;
}

// Presses the button whose caption marks `letter`, if it can be pressed.
bool Form::PressAccessKey(char letter, bool repeat) {
  for (const Control& c : state_.controls) {
    if (CanPress(c.id) && AccessKey(c.caption) == letter) {
      if (!repeat) Press(c.id);
      return true;
    }
  }
  return false;
}

void Form::Changed() {
  if (listener_) listener_(state_);
}

}  // namespace tavrel::window
