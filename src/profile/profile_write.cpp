#include <algorithm>

#include "profile/profile.h"
#include "profile/profile_parse.h"
#include "profile/profile_text.h"

namespace tavrel::profile {
namespace {

bool HasAny(std::string_view text, std::string_view chars) {
  return text.find_first_of(chars) != std::string_view::npos;
}

bool HasOuterBlanks(std::string_view text) { return TrimProfileSpace(text).size() != text.size(); }

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
std::string_view LineBreakOf(const UnitView& text) {
  const std::size_t lf = text.Find(u'\n', 0, text.size());
  const std::size_t cr = text.Find(u'\r', 0, lf);
  if (cr == lf) return lf == text.size() ? "\r\n" : "\n";
  return cr + 1 == lf && lf < text.size() ? "\r\n" : "\r";  // a CR at the end is a lone one
}

// Whether units [begin, end) spell `ascii`, up to a NUL as the platform reads them.
bool Spells(const UnitView& text, Span span, std::string_view ascii) {
  span.end = text.Find(u'\0', span.begin, span.end);
  if (span.end - span.begin != ascii.size()) return false;
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    if (text.At(span.begin + i) != static_cast<unsigned char>(ascii[i])) return false;
  }
  return true;
}

}  // namespace

Splice SetProfileString(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value) {
  const UnitView text(bytes);
  if (!Writable(section, key, value) || text.IsOdd()) return {};

  const KeyLookup found = FindKey(text, section, key);
  const std::string entry = std::string(key) + "=" + std::string(value);
  std::size_t begin = text.size();
  std::size_t end = text.size();
  std::string insert;
  if (found.key && found.key->hasValue) {
    // What reads back the same is not rewritten.
    if (Spells(text, found.key->value, value)) return {SpliceOutcome::Unchanged, 0, 0, {}};
    begin = found.key->value.begin;
    end = found.key->value.end;
    insert = value;
  } else if (found.key) {
    begin = end = found.key->name.end;
    insert = "=" + std::string(value);
  } else if (found.section) {
    const ProfileLine& last = found.lastInSection;
    const std::string_view eol = LineBreakOf(text);
    begin = end = last.next;
    insert = last.next == last.content.end ? std::string(eol) + entry : entry + std::string(eol);
  } else {
    const std::string eol(LineBreakOf(text));
    const bool ended =
        text.size() == 0 || text.At(text.size() - 1) == u'\r' || text.At(text.size() - 1) == u'\n';
    if (!ended) insert = eol;
    insert += "[" + std::string(section) + "]" + eol + entry + eol;
  }
  return {SpliceOutcome::Changed, text.ByteOffset(begin), text.ByteOffset(end),
          text.Encode(insert)};
}

}  // namespace tavrel::profile
