#include "profile/profile_text.h"

namespace tavrel::profile {
namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

char16_t UnitAt(std::string_view bytes, std::size_t i, Encoding encoding) {
  const auto lo = static_cast<unsigned char>(bytes[encoding == Encoding::Utf16Le ? i : i + 1]);
  const auto hi = static_cast<unsigned char>(bytes[encoding == Encoding::Utf16Le ? i + 1 : i]);
  return static_cast<char16_t>(hi << 8 | lo);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

ProfileText DecodeProfile(std::string_view bytes) {
  ProfileText text;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    text.encoding = Encoding::Utf8;
  } else if (StartsWith(bytes, "\xFF\xFE")) {
    text.encoding = Encoding::Utf16Le;
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    text.encoding = Encoding::Utf16Be;
  }
  const std::size_t markSize = text.encoding == Encoding::Utf8 ? 3 : IsUtf16(text.encoding) ? 2 : 0;
  text.mark = bytes.substr(0, markSize);
  bytes.remove_prefix(markSize);
  if (IsUtf16(text.encoding)) {
    const std::size_t even = bytes.size() & ~std::size_t{1};
    text.units.reserve(even / 2);
    for (std::size_t i = 0; i < even; i += 2) text.units += UnitAt(bytes, i, text.encoding);
    text.oddTrailer = bytes.substr(even);
  } else {
    text.units.reserve(bytes.size());
    for (const char c : bytes) text.units += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  return text;
}

std::string EncodeProfile(const ProfileText& text) {
  std::string bytes = text.mark;
  bytes.reserve(text.mark.size() + text.units.size() * (IsUtf16(text.encoding) ? 2 : 1) + 1);
  for (const char16_t u : text.units) {
    const auto lo = static_cast<char>(u & 0xFF);
    const auto hi = static_cast<char>(u >> 8);
    if (text.encoding == Encoding::Utf16Le) {
      bytes += lo;
      bytes += hi;
    } else if (text.encoding == Encoding::Utf16Be) {
      bytes += hi;
      bytes += lo;
    } else {
      bytes += lo;
    }
  }
  return bytes + text.oddTrailer;
}

std::string UnitsToString(std::u16string_view units, Encoding encoding) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (!IsUtf16(encoding)) {
      out += static_cast<char>(c);
      continue;
    }
    const bool high = c >= 0xD800 && c < 0xDC00;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // a lone surrogate
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string AsciiToUnits(std::string_view text) {
  std::u16string units;
  for (const char c : text) units += static_cast<char16_t>(static_cast<unsigned char>(c));
  return units;
}

}  // namespace tavrel::profile
