#include "window/icon_png.h"

#include <array>
#include <cstdint>

namespace tavrel::window {
namespace {

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift & 0xFF);
}

std::uint32_t Crc32(const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char c : data) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

std::uint32_t Adler32(const std::string& data) {
  std::uint32_t a = 1, b = 0;
  for (const char c : data) {
    a = (a + static_cast<unsigned char>(c)) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void PutChunk(std::string& png, const char* type, const std::string& body) {
  PutBigEndian(png, static_cast<std::uint32_t>(body.size()));
  const std::string typed = type + body;
  png += typed;
  PutBigEndian(png, Crc32(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& raw) {
  std::string z = "\x78\x01";
  constexpr std::size_t kBlock = 65535;
  std::size_t at = 0;
  do {
    const std::size_t n = std::min(kBlock, raw.size() - at);
    z += static_cast<char>(at + n == raw.size() ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>(~n >> 8 & 0xFF);
    z.append(raw, at, n);
    at += n;
  } while (at < raw.size());
  PutBigEndian(z, Adler32(raw));
  return z;
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
  PutChunk(png, "IDAT", StoredZlib(rows));
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace tavrel::window
