// The program's icon, drawn from shapes at any size: the one design that the Linux window,
// the desktop's icon theme and Tavrel.exe's icon file all show.
#pragma once

#include "window/icon.h"

namespace tavrel::window {

// An anti-aliased SIZE x SIZE image.
IconImage DrawIcon(int size);

}  // namespace tavrel::window
