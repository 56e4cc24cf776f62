// A profile file's bytes as a sequence of 16-bit text units, and back.
// ANSI and UTF-8 files give one unit per byte (every character that matters
// to the file's structure is ASCII); UTF-16 files give one unit per code unit.
// Converting back yields the original bytes exactly.
#pragma once

#include <string>
#include <string_view>

namespace tavrel::profile {

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

inline bool IsUtf16(Encoding encoding) {
  return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
}

struct ProfileText {
  Encoding encoding = Encoding::Ansi;
  std::string mark;        // the byte-order mark, kept as it was
  std::u16string units;    // the text after the mark
  std::string oddTrailer;  // a UTF-16 file's dangling last byte, if any
};

// Detects the encoding by the byte-order mark, as the platform does.
ProfileText DecodeProfile(std::string_view bytes);

// Gives back the file's bytes: the mark, the units in the file's encoding, the trailer.
std::string EncodeProfile(const ProfileText& text);

// Units as the text a caller reads: bytes for ANSI and UTF-8 files, UTF-8 for UTF-16 files.
std::string UnitsToString(std::u16string_view units, Encoding encoding);

// Plain ASCII text (section, key, value) as units.
std::u16string AsciiToUnits(std::string_view text);

}  // namespace tavrel::profile
