// The program's icon drawn from shapes at any size, for the large icons desktops want;
// the same design as the icon file's 16 and 32 px images, smooth instead of scaled up.
#pragma once

#include "window/icon.h"

namespace tavrel::window {

// An anti-aliased SIZE x SIZE image.
IconImage DrawIcon(int size);

}  // namespace tavrel::window
