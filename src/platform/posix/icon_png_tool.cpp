// Build tool: writes the program's icon of one size as a PNG file for the desktop's
// icon theme: icon_png_tool SIZE FILE. The icon file's own images serve their sizes;
// larger ones are drawn from the design's shapes.
#include <cstdlib>
#include <fstream>

#include "window/icon.h"
#include "window/icon_draw.h"
#include "window/icon_png.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int size = std::atoi(argv[1]);
  if (size < 1 || size > 1024) return 2;
  tavrel::window::IconImage chosen = tavrel::window::DrawIcon(size);
  for (auto& image : tavrel::window::ReadIcon(tavrel::window::TavrelIcon())) {
    if (image.width == size) chosen = std::move(image);
  }
  std::ofstream(argv[2], std::ios::binary) << tavrel::window::EncodePng(chosen);
  return 0;
}
