// The keys as the window knows them.
#pragma once

namespace tavrel::window {

// A key as the keyboard names it; a backend maps its own codes to these and nothing more.
// The keys that move the focus come last.
enum class KeyCode { Other, Letter, Return, Space, Escape, Tab, Left, Right, Up, Down };

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

}  // namespace tavrel::window
