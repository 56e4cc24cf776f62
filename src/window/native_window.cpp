#include "window/native_window.h"

namespace tavrel::window {
namespace {

TavrelControl Native(const Control& c) {
  return {static_cast<int>(c.id), c.button,       c.caption.c_str(), c.place.left, c.place.top,
          c.place.width,          c.place.height, c.visible,         c.enabled};
}

NativeWindow& Self(void* window) { return *static_cast<NativeWindow*>(window); }

}  // namespace

NativeWindow::NativeWindow(const TavrelToolkit& toolkit) : toolkit_(toolkit) {
  events_.model = this;
  events_.press = [](void* w, int id) {
    if (Self(w).form_ != nullptr) Self(w).form_->Press(static_cast<ControlId>(id));
  };
  events_.focus_moved = [](void* w, int id) {
    if (Self(w).form_ != nullptr && !Self(w).rendering_) {
      Self(w).form_->FocusMoved(static_cast<ControlId>(id));
    }
  };
  events_.key = [](void* w, TavrelKey k, int down, int repeat) {
    const Key key{static_cast<KeyCode>(k.code), k.letter, k.shift != 0, k.alt != 0, k.control != 0};
    if (!IsWindowKey(key, down != 0)) return 0;
    Form* form = Self(w).form_;
    if (form != nullptr && down != 0) form->KeyDown(key, repeat != 0);
    if (form != nullptr && down == 0) form->KeyUp(key);
    return 1;
  };
}

void NativeWindow::Render(Form& form) {
  const FormState& state = form.State();
  void* const self = toolkit_.self;
  if (form_ == nullptr) {
    toolkit_.create(self, state.title.c_str(), state.clientWidth, state.clientHeight, &events_);
  }
  form_ = &form;
  rendering_ = true;
  for (const Control& c : state.controls) {
    const TavrelControl control = Native(c);
    toolkit_.update(self, &control);
  }
  toolkit_.show(self, state.shown,
                state.focus && state.shown ? static_cast<int>(*state.focus) : -1);
  rendering_ = false;
}

}  // namespace tavrel::window
