// Icon images as files: PNG for desktops' icon themes, ICO for Windows programs.
#pragma once

#include <string>
#include <vector>

#include "window/icon.h"

namespace tavrel::window {

// An 8-bit RGBA PNG, compressed with zlib.
std::string EncodePng(const IconImage& image);

// A Windows icon file of 32-bit images with alpha: those up to 128 pixels wide as bitmaps,
// larger ones as PNG, as Windows Vista and later read them.
std::string EncodeIco(const std::vector<IconImage>& images);

}  // namespace tavrel::window
