#include "control/message_quote.h"

#include <cstdint>

#include "setting/ini.h"

namespace tavrel::control {
namespace {

// The length of the valid UTF-8 sequence of at least two bytes starting at `at`, and its
// code point; 0 where none starts there (a lone, overlong or surrogate encoding).
std::size_t Utf8Sequence(std::string_view text, std::size_t at, char32_t* point) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  char32_t value = 0, least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1Fu, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0Fu, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07u, least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0u) != 0x80u) return 0;
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *point = value;
  return length;
}

// C0 and C1 controls, DEL, and the characters that break or reorder what a terminal shows.
bool IsControl(char32_t point) {
  return point < 0x20 || (point >= 0x7F && point < 0xA0) || (point >= 0x2028 && point <= 0x202E) ||
         (point >= 0x2066 && point <= 0x2069);
}

void AppendEscape(unsigned char byte, std::string* out) {
  static const char kNamed[] = "\aa\bb\ff\nn\rr\tt\vv\"\"\\\\";
  for (std::size_t i = 0; i + 1 < sizeof kNamed; i += 2) {
    if (static_cast<unsigned char>(kNamed[i]) == byte) {
      *out += '\\';
      *out += kNamed[i + 1];
      return;
    }
  }
  *out += '\\';
  for (int shift = 6; shift >= 0; shift -= 3)
    *out += static_cast<char>('0' + ((byte >> shift) & 7));
}

}  // namespace

std::string QuoteInMessage(std::string_view text) {
  std::string out;
  bool escaped = false;
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    char32_t point = 0;
    std::size_t length = byte < 0x80 ? 1 : Utf8Sequence(text, at, &point);
    if (byte < 0x80) point = byte;
    if (length != 0 && !IsControl(point) && byte != '"' && byte != '\\') {
      out.append(text.substr(at, length));
    } else {
      length = length == 0 ? 1 : length;
      for (std::size_t i = 0; i < length; ++i)
        AppendEscape(static_cast<unsigned char>(text[at + i]), &out);
      escaped = true;
    }
    at += length;
  }
  return escaped || text.empty() ? '"' + out + '"' : out;
}

std::string AboutIni(const char* verb, const std::string& reason) {
  return std::string("cannot ") + verb + " " + QuoteInMessage(setting::IniPath) + ": " +
         QuoteInMessage(reason);
}

std::string ShownOnTerminal(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    char32_t point = byte;
    const std::size_t length = byte < 0x80 ? 1 : Utf8Sequence(text, at, &point);
    const bool kept = byte == '\t' || byte == '\n' || text.compare(at, 2, "\r\n") == 0;
    if (length == 0) {
      out += {'<', kHex[byte >> 4], kHex[byte & 15], '>'};
    } else if (kept || !IsControl(point)) {
      out.append(text.substr(at, length));
    } else if (point < 0x80) {
      out += {'^', static_cast<char>(point ^ 0x40)};
    } else {
      out += "<U+";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(point >> shift) & 15];
      out += '>';
    }
    at += length == 0 ? 1 : length;
  }
  return out;
}

}  // namespace tavrel::control
