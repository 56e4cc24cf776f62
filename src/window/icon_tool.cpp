// Build tool: writes the program's icon, drawn from its one design, as files.
//   icon_tool png SIZE FILE        one size as a PNG file, for the desktop's icon theme
//   icon_tool ico FILE SIZE...     the sizes in one Windows icon file, for Tavrel.exe
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "window/icon_draw.h"
#include "window/icon_file.h"

namespace {

int Size(const char* text) {
  const int size = std::atoi(text);
  return size >= 1 && size <= 256 ? size : 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tavrel::window;
  const std::string kind = argc > 1 ? argv[1] : "";
  std::string bytes;
  if (kind == "png" && argc == 4 && Size(argv[2])) {
    bytes = EncodePng(DrawIcon(Size(argv[2])));
  } else if (kind == "ico" && argc > 3) {
    std::vector<IconImage> images;
    for (int i = 3; i < argc; ++i) {
      if (!Size(argv[i])) return 2;
      images.push_back(DrawIcon(Size(argv[i])));
    }
    bytes = EncodeIco(images);
  } else {
    return 2;
  }
  std::ofstream out(argv[kind == "png" ? 3 : 2], std::ios::binary);
  out << bytes;
  return out.flush() ? 0 : 1;
}
