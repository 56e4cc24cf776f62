#include "profile/profile_text.h"

#include <cstring>

namespace tavrel::profile {
namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
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

UnitView::UnitView(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    encoding_ = Encoding::Utf8;
    markSize_ = 3;
  } else if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    encoding_ = bytes[0] == '\xFF' ? Encoding::Utf16Le : Encoding::Utf16Be;
    markSize_ = unitSize_ = 2;
  }
  text_ = bytes.substr(markSize_);
  odd_ = text_.size() % unitSize_ != 0;
  size_ = text_.size() / unitSize_;
  text_ = text_.substr(0, size_ * unitSize_);
}

std::size_t UnitView::Find(char16_t c, std::size_t from, std::size_t to) const {
  if (from >= to) return to;
  if (unitSize_ == 1) {
    // The common case, at the speed of the C library: most files are ANSI or UTF-8.
    const void* hit = std::memchr(text_.data() + from, c, to - from);
    return hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data())
                          : to;
  }
  while (from < to && At(from) != c) ++from;
  return from;
}

std::string UnitView::Encode(std::string_view ascii) const {
  if (unitSize_ == 1) return std::string(ascii);
  std::string out;
  out.reserve(2 * ascii.size());
  for (const char c : ascii) {
    out += encoding_ == Encoding::Utf16Le ? c : '\0';
    out += encoding_ == Encoding::Utf16Le ? '\0' : c;
  }
  return out;
}

std::string UnitView::Text(std::size_t begin, std::size_t end) const {
  if (unitSize_ == 1) return std::string(text_.substr(begin, end - begin));
  std::string out;
  for (std::size_t i = begin; i < end; ++i) {
    char32_t c = At(i);
    const bool high = c >= 0xD800 && c < 0xDC00;
    if (high && i + 1 < end && At(i + 1) >= 0xDC00 && At(i + 1) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (At(++i) - 0xDC00u);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // a lone surrogate
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace tavrel::profile
