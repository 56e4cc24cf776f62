#include "window/icon.h"

namespace tavrel::window {
namespace {

std::uint32_t Le(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

std::size_t RowBytes(std::size_t width, std::size_t bits) { return (width * bits + 31) / 32 * 4; }

// One image: a bitmap header, a palette, the colour rows and the transparency mask,
// rows stored bottom-up.
bool ReadImage(std::string_view dib, IconImage& image) {
  if (dib.size() < 40 || Le(dib, 0, 4) != 40 || Le(dib, 16, 4) != 0) return false;
  const std::size_t width = Le(dib, 4, 4);
  const std::size_t height = Le(dib, 8, 4) / 2;
  const std::size_t bits = Le(dib, 14, 2);
  if (width == 0 || width > 256 || height == 0 || height > 256) return false;
  if (bits != 1 && bits != 4 && bits != 8) return false;
  std::size_t colours = Le(dib, 32, 4);
  if (colours == 0 || colours > (std::size_t{1} << bits)) colours = std::size_t{1} << bits;
  const std::size_t pixels = 40 + colours * 4;
  const std::size_t mask = pixels + RowBytes(width, bits) * height;
  if (mask + RowBytes(width, 1) * height > dib.size()) return false;

  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.rgba.assign(width * height * 4, 0);
  for (std::size_t y = 0; y < height; ++y) {
    const std::size_t row = pixels + RowBytes(width, bits) * (height - 1 - y);
    const std::size_t maskRow = mask + RowBytes(width, 1) * (height - 1 - y);
    for (std::size_t x = 0; x < width; ++x) {
      std::uint8_t* out = &image.rgba[(y * width + x) * 4];
      const std::size_t bit = x * bits;
      const auto byte = static_cast<unsigned char>(dib[row + bit / 8]);
      const std::size_t index = (byte >> (8 - bits - bit % 8)) & ((std::size_t{1} << bits) - 1);
      if (index >= colours) return false;
      const std::size_t entry = 40 + index * 4;
      out[0] = static_cast<std::uint8_t>(dib[entry + 2]);
      out[1] = static_cast<std::uint8_t>(dib[entry + 1]);
      out[2] = static_cast<std::uint8_t>(dib[entry]);
      const bool transparent =
          (static_cast<unsigned char>(dib[maskRow + x / 8]) >> (7 - x % 8)) & 1;
      out[3] = transparent ? 0 : 255;
    }
  }
  return true;
}

}  // namespace

std::vector<IconImage> ReadIcon(std::string_view bytes) {
  std::vector<IconImage> images;
  if (bytes.size() < 6 || Le(bytes, 0, 2) != 0 || Le(bytes, 2, 2) != 1) return images;
  const std::size_t count = Le(bytes, 4, 2);
  for (std::size_t i = 0; i < count && 6 + i * 16 + 16 <= bytes.size(); ++i) {
    const std::size_t entry = 6 + i * 16;
    const std::size_t size = Le(bytes, entry + 8, 4);
    const std::size_t offset = Le(bytes, entry + 12, 4);
    if (offset > bytes.size() || size > bytes.size() - offset) continue;
    IconImage image;
    if (ReadImage(bytes.substr(offset, size), image)) images.push_back(std::move(image));
  }
  return images;
}

}  // namespace tavrel::window
