// The one seam between the window's model and a platform's toolkit: the native calls that
// draw frmMain, and the user's actions that come back. Plain C, for on Linux the toolkit
// is a module loaded at run time with a C++ library of its own: nothing of C++ crosses.
#pragma once

#include <stddef.h>

extern "C" {

// A control: `id` is its place in tab order (a window::ControlId), the place in twips.
struct TavrelControl {
  int id, button;
  const char* caption;  // '&' marks the access key of a button
  int left, top, width, height, visible, enabled;
};

// A key as the keyboard names it (`code` is a window::KeyCode) and the modifiers held.
struct TavrelKey {
  int code;
  char letter;              // with KeyCode::Letter: the letter, either case
  int shift, alt, control;  // control: Ctrl, or the Super key
};

struct TavrelInput {  // what the user did, told to the model
  void* model;
  void (*press)(void* model, int control);
  void (*focus_moved)(void* model, int control);  // by the toolkit itself (a mouse press)
  // 1 when the key is the window's: the toolkit then does nothing else with it.
  int (*key)(void* model, struct TavrelKey key, int down, int repeat);
};

struct TavrelToolkit {
  void* self;
  // The window, hidden, its client area in twips; `input` lives as long as the window.
  void (*create)(void* self, const char* title, int width, int height, const TavrelInput* input);
  // Makes the control the first time it is given, then sets caption, visible and enabled.
  void (*update)(void* self, const TavrelControl* control);
  // Shows (centred on the screen when it appears) or hides the window, gives `focus` the
  // focus (-1: none) and draws the window as it now is.
  void (*show)(void* self, int shown, int focus);
  void (*beep)(void* self);
  void (*message_box)(void* self, const char* text, const char* title);
  void (*run)(void* self);  // returns when the user closed the window with its close box
};

// A toolkit module's entry point: fills `toolkit`, or returns 0 with the reason in `error`.
typedef int (*TavrelOpenToolkit)(TavrelToolkit* toolkit, char* error, size_t size);
}

namespace tavrel::window {

constexpr const char* kOpenToolkitSymbol = "tavrel_open_toolkit";

// The table of a backend object that has these operations under these names.
template <typename T>
TavrelToolkit ToolkitOf(T& toolkit) {
  return {&toolkit,
          [](void* t, const char* title, int width, int height, const TavrelInput* input) {
            static_cast<T*>(t)->Create(title, width, height, *input);
          },
          [](void* t, const TavrelControl* c) { static_cast<T*>(t)->Update(*c); },
          [](void* t, int shown, int focus) { static_cast<T*>(t)->Show(shown != 0, focus); },
          [](void* t) { static_cast<T*>(t)->Beep(); },
          [](void* t, const char* text, const char* title) {
            static_cast<T*>(t)->ShowMessageBox(text, title);
          },
          [](void* t) { static_cast<T*>(t)->Run(); }};
}

}  // namespace tavrel::window
