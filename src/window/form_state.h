// The window frmMain as plain data: what a toolkit backend draws. Header-only,
// so a backend loaded at run time needs nothing else from the program.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace tavrel::window {

// The controls, in tab order.
enum class ControlId { cmdDisable, cmdEnable, cmdCancel, lblInfo, cmdClose };

enum class View { Initial, StatusDisabled, StatusEnabled, SwitchedOn, SwitchedOff };

// A place on the window's client area, in twips (15 twips are one pixel at 96 dpi).
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct Control {
  ControlId id = ControlId::lblInfo;
  bool button = false;
  std::string caption;  // '&' marks the access key of a button
  TwipsRect place;
  bool visible = false;
  bool enabled = true;
};

struct FormState {
  std::string title;
  int clientWidth = 0;  // twips
  int clientHeight = 0;
  bool shown = false;
  View view = View::Initial;
  std::array<Control, 5> controls;  // in tab order
  std::optional<ControlId> focus;

  const Control& Get(ControlId id) const { return controls[static_cast<std::size_t>(id)]; }
  Control& Get(ControlId id) { return controls[static_cast<std::size_t>(id)]; }
};

// Twips to pixels at a given resolution, rounded to the nearest pixel.
inline int TwipsToPixels(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

}  // namespace tavrel::window
