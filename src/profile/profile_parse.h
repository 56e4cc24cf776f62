// Splits profile text into lines and finds a key the way the platform's
// profile functions do: names match ASCII-case-insensitively, blanks around
// names and values do not count, text after a NUL does not count, only the
// first matching section is searched and the first matching key wins.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tavrel::profile {

struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
};

struct ProfileLine {
  enum class Kind { Blank, Section, Key };
  Kind kind = Kind::Blank;
  Span content;           // the line without its line break
  std::size_t next = 0;   // where the next line starts, after one line break
  Span name;              // section or key name, trimmed
  bool hasValue = false;  // the key line has an '='
  Span value;             // the value, trimmed
};

// The line that starts at `at`, classified.
ProfileLine ReadLine(std::u16string_view text, std::size_t at);

// The platform's blanks: TAB, LF, VT, FF, CR, space and the DOS end-of-file mark.
bool IsProfileSpace(char16_t c);

// Removes the platform's blanks from both ends.
std::u16string_view TrimProfileSpace(std::u16string_view text);

// Text up to its first NUL, as the platform's C strings see it.
std::u16string_view UpToNul(std::u16string_view text);

struct KeyLookup {
  std::optional<ProfileLine> section;  // the first matching section's header
  std::optional<ProfileLine> key;      // the first matching key in it
  ProfileLine lastInSection;           // the last non-blank line of that section
};

// Reads lines only up to the end of the first matching section.
KeyLookup FindKey(std::u16string_view text, std::u16string_view section, std::u16string_view key);

}  // namespace tavrel::profile
