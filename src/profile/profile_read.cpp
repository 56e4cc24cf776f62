#include <algorithm>

#include "profile/profile.h"
#include "profile/profile_parse.h"
#include "profile/profile_text.h"

namespace tavrel::profile {
namespace {

// Copies a value into the caller's buffer as the platform does, quirks included:
// a quoted value that exactly fills the buffer loses one more character.
std::u16string_view CopyEntry(std::u16string_view value, std::size_t size) {
  bool quoted = false;
  if (!value.empty() && (value[0] == u'"' || value[0] == u'\'') && value.size() > 1 &&
      value.back() == value[0]) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::u16string_view copied = value.substr(0, size - 1);
  if (quoted && size >= value.size() && !copied.empty()) copied.remove_suffix(1);
  return copied;
}

std::u16string_view DropTrailingBlanks(std::u16string_view text) {
  while (text.size() > 1 && text.back() == u' ') text.remove_suffix(1);
  return text;
}

}  // namespace

ProfileString GetProfileString(std::string_view bytes, std::string_view section,
                               std::string_view key, std::string_view fallback, std::size_t size) {
  if (size == 0) return {};
  const ProfileText text = DecodeProfile(bytes);
  const std::u16string_view units = text.units;
  const auto found = FindKey(units, AsciiToUnits(section), AsciiToUnits(key));

  const std::u16string fallbackUnits = AsciiToUnits(fallback);
  std::u16string_view value = DropTrailingBlanks(fallbackUnits);
  Encoding valueEncoding = Encoding::Ansi;
  if (found.key && found.key->hasValue) {
    const Span span = found.key->value;
    value = UpToNul(units.substr(span.begin, span.end - span.begin));
    valueEncoding = text.encoding;
  }
  std::string delivered = UnitsToString(CopyEntry(value, size), valueEncoding);
  delivered.resize(std::min(delivered.size(), size - 1));
  return {delivered.size(), delivered};
}

}  // namespace tavrel::profile
