// The resolution the Linux window is drawn at, and its font at that resolution.
#pragma once

namespace tavrel::window {

// The resolution the window is drawn at: `chosen` (TAVREL_DPI) when it is a whole
// number in [48, 480], else the desktop's Xft.dpi from the X resource string
// `resources`, else 96. Either may be null.
int ChooseDpi(const char* chosen, const char* resources);

// The size in pixels of the window's font at `dpi`: 10 at 96, as the Windows build's.
inline int FontPixels(int dpi) { return (10 * dpi + 48) / 96; }

}  // namespace tavrel::window
