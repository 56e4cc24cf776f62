#include "window/icon_file.h"

#include <zlib.h>

#include <cstdint>
#include <stdexcept>

namespace tavrel::window {
namespace {

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift & 0xFF);
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

void PutChunk(std::string& png, const char* type, const std::string& body) {
  PutBigEndian(png, static_cast<std::uint32_t>(body.size()));
  const std::string typed = type + body;
  png += typed;
  PutBigEndian(png,
               static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                static_cast<uInt>(typed.size()))));
}

std::string Compressed(const std::string& raw) {
  uLongf size = compressBound(raw.size());
  std::string z(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(z.data()), &size,
                reinterpret_cast<const Bytef*>(raw.data()), raw.size(), Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib");
  z.resize(size);
  return z;
}

// A bitmap as icon files hold it: the header (twice the height: colours, then mask), the
// BGRA rows and the mask's rows (set where transparent, for readers without alpha), both
// bottom-up.
std::string Bitmap(const IconImage& image) {
  const auto width = static_cast<std::size_t>(image.width);
  const std::size_t maskRow = (width + 31) / 32 * 4;
  std::string dib;
  PutLittleEndian(dib, 40, 4);  // the header's size
  PutLittleEndian(dib, static_cast<std::uint32_t>(image.width), 4);
  PutLittleEndian(dib, static_cast<std::uint32_t>(image.height) * 2, 4);
  PutLittleEndian(dib, 1, 2);   // planes
  PutLittleEndian(dib, 32, 2);  // bits a pixel
  dib.append(24, '\0');         // no compression, sizes and palette left to the reader
  std::string mask;
  for (std::size_t y = static_cast<std::size_t>(image.height); y-- > 0;) {
    std::string bits(maskRow, '\0');
    for (std::size_t x = 0; x < width; ++x) {
      const std::uint8_t* p = &image.rgba[(y * width + x) * 4];
      for (const int c : {2, 1, 0, 3}) dib += static_cast<char>(p[c]);
      if (p[3] == 0) bits[x / 8] = static_cast<char>(bits[x / 8] | 0x80 >> (x % 8));
    }
    mask += bits;
  }
  return dib + mask;
}

}  // namespace

std::string EncodePng(const IconImage& image) {
  std::string png = "\x89PNG\r\n\x1A\n";
  std::string header;
  PutBigEndian(header, static_cast<std::uint32_t>(image.width));
  PutBigEndian(header, static_cast<std::uint32_t>(image.height));
  header +=
      std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  std::string rows;
  const auto stride = static_cast<std::size_t>(image.width) * 4;
  for (std::size_t y = 0; y < static_cast<std::size_t>(image.height); ++y) {
    rows += '\0';  // no filter on this row
    rows.append(reinterpret_cast<const char*>(image.rgba.data() + y * stride), stride);
  }
  PutChunk(png, "IDAT", Compressed(rows));
  PutChunk(png, "IEND", "");
  return png;
}

std::string EncodeIco(const std::vector<IconImage>& images) {
  std::string directory, data;
  PutLittleEndian(directory, 0, 2);
  PutLittleEndian(directory, 1, 2);  // an icon, not a cursor
  PutLittleEndian(directory, static_cast<std::uint32_t>(images.size()), 2);
  for (const IconImage& image : images) {
    const std::string bytes = image.width > 128 ? EncodePng(image) : Bitmap(image);
    directory += static_cast<char>(image.width & 0xFF);  // 256 is written 0
    directory += static_cast<char>(image.height & 0xFF);
    directory += std::string(2, '\0');  // no palette
    PutLittleEndian(directory, 1, 2);
    PutLittleEndian(directory, 32, 2);
    PutLittleEndian(directory, static_cast<std::uint32_t>(bytes.size()), 4);
    PutLittleEndian(directory, static_cast<std::uint32_t>(6 + 16 * images.size() + data.size()), 4);
    data += bytes;
  }
  return directory + data;
}

}  // namespace tavrel::window
