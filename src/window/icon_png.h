// An icon image as a PNG file, for desktops that want their icons in that format.
#pragma once

#include <string>

#include "window/icon.h"

namespace tavrel::window {

// An 8-bit RGBA PNG, its image data in uncompressed deflate blocks (small icons need
// no compression, and so no compression library).
std::string EncodePng(const IconImage& image);

}  // namespace tavrel::window
