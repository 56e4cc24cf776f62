// The program's icon as images of RGBA pixels, for toolkits and icon files.
#pragma once

#include <cstdint>
#include <vector>

namespace tavrel::window {

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // top row first
};

}  // namespace tavrel::window
