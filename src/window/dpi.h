// The resolution the Linux window is drawn at, lengths at that resolution, and where a
// window stands on the screen.
#pragma once

namespace tavrel::window {

// The resolution the window is drawn at: `chosen` (TAVREL_DPI) when it is a whole
// number in [48, 480], else the desktop's Xft.dpi from the X resource string
// `resources`, else 96. Either may be null.
int ChooseDpi(const char* chosen, const char* resources);

// A length given in pixels at 96 dpi, at `dpi`, rounded to the nearest pixel.
inline int ScaledPixels(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

// The size in pixels of the window's font at `dpi`: 10 at 96, as the Windows build's.
inline int FontPixels(int dpi) { return ScaledPixels(10, dpi); }

// Where a window of `size` starts when centred in the room from `start` of `room`
// (one axis at a time).
inline int Centred(int start, int room, int size) { return start + (room - size) / 2; }

}  // namespace tavrel::window
