// Finds a key in a profile file the way the platform's profile functions do: lines end
// at CR, LF or CRLF, names match ASCII-case-insensitively, blanks around names and
// values do not count, text after a NUL does not count, only the first matching
// section is searched and the first matching key wins.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "profile/profile_text.h"

namespace tavrel::profile {

struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// One line, in units of the file's text.
struct ProfileLine {
  enum class Kind { Blank, Section, Key };
  Kind kind = Kind::Blank;
  Span content;           // the line without its line break
  std::size_t next = 0;   // where the next line starts, after one line break
  Span name;              // section or key name, trimmed
  bool hasValue = false;  // the key line has an '='
  Span value;             // the value, trimmed
};

// Removes the platform's blanks (TAB, LF, VT, FF, CR, space, the DOS end-of-file mark)
// from both ends.
std::string_view TrimProfileSpace(std::string_view text);

struct KeyLookup {
  std::optional<ProfileLine> section;  // the first matching section's header
  std::optional<ProfileLine> key;      // the first matching key in it
  ProfileLine lastInSection;           // the last non-blank line of that section
};

// Looks at the lines before the first matching section only where a '[' could open a
// header, then reads that section line by line.
KeyLookup FindKey(const UnitView& text, std::string_view section, std::string_view key);

}  // namespace tavrel::profile
