// Build tool: writes the program's icon image of one size as a PNG file, for the
// desktop's icon theme: icon_png_tool SIZE FILE
#include <cstdlib>
#include <fstream>

#include "window/icon.h"
#include "window/icon_png.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int size = std::atoi(argv[1]);
  for (const auto& image : tavrel::window::ReadIcon(tavrel::window::TavrelIcon())) {
    if (image.width == size) {
      std::ofstream(argv[2], std::ios::binary) << tavrel::window::EncodePng(image);
      return 0;
    }
  }
  return 1;
}
