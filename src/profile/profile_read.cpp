#include <algorithm>

#include "profile/profile.h"
#include "profile/profile_parse.h"
#include "profile/profile_text.h"

namespace tavrel::profile {
namespace {

// The part of a value of `length` units, opening with `first` and closing with `last`,
// that reaches the caller's buffer as the platform copies it, quirks included: a quoted
// value that exactly fills the buffer loses one more character.
Span CopiedPart(std::size_t length, char16_t first, char16_t last, std::size_t size) {
  Span part{0, length};
  const bool quoted = length > 1 && (first == u'"' || first == u'\'') && last == first;
  if (quoted) part.begin = 1;
  part.end = std::min(part.end, part.begin + size - 1);
  if (quoted && size >= length - 1 && part.end > part.begin) --part.end;
  return part;
}

}  // namespace

std::string GetProfileString(std::string_view bytes, std::string_view section, std::string_view key,
                             std::string_view fallback, std::size_t size) {
  if (size == 0) return {};
  const UnitView text(bytes);
  const KeyLookup found = FindKey(text, section, key);
  std::string delivered;
  if (found.key && found.key->hasValue) {
    Span value = found.key->value;
    value.end = text.Find(u'\0', value.begin, value.end);
    const std::size_t length = value.end - value.begin;
    const Span part = length == 0
                          ? Span{}
                          : CopiedPart(length, text.At(value.begin), text.At(value.end - 1), size);
    delivered = text.Text(value.begin + part.begin, value.begin + part.end);
  } else {
    while (fallback.size() > 1 && fallback.back() == ' ') fallback.remove_suffix(1);
    const auto unit = [&](std::size_t i) { return static_cast<unsigned char>(fallback[i]); };
    const Span part = fallback.empty()
                          ? Span{}
                          : CopiedPart(fallback.size(), unit(0), unit(fallback.size() - 1), size);
    delivered = fallback.substr(part.begin, part.end - part.begin);
  }
  delivered.resize(std::min(delivered.size(), size - 1));
  return delivered;
}

}  // namespace tavrel::profile
