// The program's icon, kept as one Windows icon file for every platform, and a
// reader that turns its images into RGBA pixels for toolkits that cannot read it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tavrel::window {

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // top row first
};

// The icon file's bytes, built into the program.
std::string_view TavrelIcon();

// The images of an icon file with a palette (1, 4 or 8 bits a pixel); images of
// other kinds, or damaged ones, are left out.
std::vector<IconImage> ReadIcon(std::string_view bytes);

}  // namespace tavrel::window
