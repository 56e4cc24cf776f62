// A profile file's bytes read in place as 16-bit text units, never widened into a copy:
// one byte per unit for ANSI and UTF-8 files (every character that shapes the file is
// ASCII), two for UTF-16 files, in the file's byte order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel::profile {

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

class UnitView {
 public:
  // Detects the encoding by the byte-order mark, as the platform does.
  explicit UnitView(std::string_view bytes);

  std::size_t MarkSize() const { return markSize_; }
  // A UTF-16 file with a dangling last byte.
  bool IsOdd() const { return odd_; }
  std::size_t size() const { return size_; }

  char16_t At(std::size_t i) const {
    if (unitSize_ == 1) return static_cast<unsigned char>(text_[i]);
    const auto a = static_cast<unsigned char>(text_[2 * i]);
    const auto b = static_cast<unsigned char>(text_[2 * i + 1]);
    return static_cast<char16_t>(encoding_ == Encoding::Utf16Le ? b << 8 | a : a << 8 | b);
  }

  // The first `c` in [from, to), or `to`.
  std::size_t Find(char16_t c, std::size_t from, std::size_t to) const;

  // Where unit `i` starts in the file's bytes.
  std::size_t ByteOffset(std::size_t i) const { return markSize_ + i * unitSize_; }

  // ASCII text in the file's encoding.
  std::string Encode(std::string_view ascii) const;

  // Units [begin, end) as a caller reads them: bytes for ANSI and UTF-8 files, UTF-8
  // for UTF-16 files.
  std::string Text(std::size_t begin, std::size_t end) const;

 private:
  std::string_view text_;  // after the mark, without a dangling byte
  Encoding encoding_ = Encoding::Ansi;
  std::size_t markSize_ = 0;
  std::size_t unitSize_ = 1;
  std::size_t size_ = 0;
  bool odd_ = false;
};

}  // namespace tavrel::profile
