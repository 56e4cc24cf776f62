#include <algorithm>

#include "profile/profile.h"
#include "profile/profile_parse.h"
#include "profile/profile_text.h"

namespace tavrel::profile {
namespace {

bool HasAny(std::string_view text, std::string_view chars) {
  return text.find_first_of(chars) != std::string_view::npos;
}

bool HasOuterBlanks(std::string_view text) {
  const std::u16string units = AsciiToUnits(text);
  return TrimProfileSpace(units).size() != units.size();
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// Names and a value that read back exactly as written once they stand in a line, in
// any of the file's encodings: plain ASCII, no line break, no NUL, no outer blanks.
bool Writable(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view breaks("\r\n\0", 3);
  if (!IsAscii(section) || !IsAscii(key) || !IsAscii(value)) return false;
  const bool quoted =
      value.size() > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
  return !section.empty() && !key.empty() && !HasAny(section, breaks) && !HasAny(key, breaks) &&
         !HasAny(value, breaks) && !HasAny(key, "=") && key[0] != '[' && !HasOuterBlanks(section) &&
         !HasOuterBlanks(key) && !HasOuterBlanks(value) && !quoted;
}

// The file's own line break: that of its first line, or CRLF.
std::u16string LineBreakOf(std::u16string_view units) {
  const std::size_t at = units.find_first_of(u"\r\n");
  if (at == std::u16string_view::npos) return u"\r\n";
  if (units[at] == u'\n') return u"\n";
  return at + 1 < units.size() && units[at + 1] == u'\n' ? u"\r\n" : u"\r";
}

bool EndsWithLineBreak(std::u16string_view units) {
  return !units.empty() && (units.back() == u'\r' || units.back() == u'\n');
}

}  // namespace

Splice SetProfileString(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value) {
  const ProfileText text = DecodeProfile(bytes);
  if (!Writable(section, key, value) || !text.oddTrailer.empty()) return {};

  const std::u16string_view units = text.units;
  const auto found = FindKey(units, AsciiToUnits(section), AsciiToUnits(key));
  const std::u16string newValue = AsciiToUnits(value);
  const std::u16string eol = LineBreakOf(units);
  const std::u16string entry = AsciiToUnits(key) + u"=" + newValue;

  std::size_t begin = units.size();
  std::size_t end = units.size();
  std::u16string insert;
  if (found.key && found.key->hasValue) {
    const Span span = found.key->value;
    // Compared as the platform does, up to a NUL: what reads back the same is not rewritten.
    if (UpToNul(units.substr(span.begin, span.end - span.begin)) == newValue) {
      return {SpliceOutcome::Unchanged, 0, 0, {}};
    }
    begin = span.begin;
    end = span.end;
    insert = newValue;
  } else if (found.key) {
    begin = end = found.key->name.end;
    insert = u"=" + newValue;
  } else if (found.section) {
    const ProfileLine& last = found.lastInSection;
    begin = end = last.next;
    insert = last.next == last.content.end ? eol + entry : entry + eol;
  } else {
    if (!units.empty() && !EndsWithLineBreak(units)) insert = eol;
    insert += u"[" + AsciiToUnits(section) + u"]" + eol + entry + eol;
  }
  const std::size_t unitSize = IsUtf16(text.encoding) ? 2 : 1;
  return {SpliceOutcome::Changed, text.mark.size() + begin * unitSize,
          text.mark.size() + end * unitSize, EncodeProfile({text.encoding, "", insert, ""})};
}

}  // namespace tavrel::profile
